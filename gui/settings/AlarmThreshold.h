#pragma once

#include <QWidget>

#include <memory>
#include <vector>

class FloatingPointNumberLineEdit;
class IntegerNumberLineEdit;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;

// One alarm threshold set of an audiogroup as the user edits it: whether it is active, the
// integrated loudness upper and lower limits, the momentary and short-term maxima and the
// true-peak maximum, each limit with its count. The values live only in the edits; the
// getters tell through ok whether an edit's text is a number.
class AlarmThreshold : public QWidget
{
    Q_OBJECT
public:
    explicit AlarmThreshold(QWidget *parent);
    ~AlarmThreshold() override;

    void setActive(bool active);
    bool isActive() const;
    void setIUpper(double value);
    double getIUpper(bool *ok) const;
    void setIUpperCount(int value);
    int getIUpperCount(bool *ok) const;
    void setILower(double value);
    double getILower(bool *ok) const;
    void setILowerCount(int value);
    int getILowerCount(bool *ok) const;
    void setMUpper(double value);
    double getMUpper(bool *ok) const;
    void setMCount(int value);
    int getMCount(bool *ok) const;
    void setSUpper(double value);
    double getSUpper(bool *ok) const;
    void setSCount(int value);
    int getSCount(bool *ok) const;
    void setTPUpper(double value);
    double getTPUpper(bool *ok) const;
    void setTPCount(int value);
    int getTPCount(bool *ok) const;

    // Every edit empty, the active box unchecked.
    void clear();

    // Shortest form with at most six significant digits (1, -3, -1.5, -23.25).
    static QString levelText(double value);

    // Places the panel for the desktop's text size and returns the width it then takes.
    int fitToText();

private:
    // An edit with its caption above and its unit, if any, on its right: form places.
    struct Column
    {
        QLineEdit *edit;
        QLabel *caption;
        QLabel *unit;
        int x;
        int y;
        int captionY;
    };
    struct Title
    {
        QLabel *label;
        QFrame *leftRule;
        QFrame *rightRule;
        int x;
        int y;
        int ruleY;
        int ruleWidth;
    };
    struct Form
    {
        std::vector<Column> columns;
        std::vector<Title> titles;
        QWidget *widget = nullptr;
        QCheckBox *activeCheckBox = nullptr;
        FloatingPointNumberLineEdit *loudMaxEdit = nullptr;
        IntegerNumberLineEdit *loudCount1Edit = nullptr;
        FloatingPointNumberLineEdit *loudMinEdit = nullptr;
        IntegerNumberLineEdit *loudCount2Edit = nullptr;
        FloatingPointNumberLineEdit *mMaxEdit = nullptr;
        IntegerNumberLineEdit *mCountEdit = nullptr;
        FloatingPointNumberLineEdit *sMinEdit = nullptr;
        IntegerNumberLineEdit *sCountEdit = nullptr;
        FloatingPointNumberLineEdit *tpLevelEdit = nullptr;
        IntegerNumberLineEdit *tpCountEdit = nullptr;
    };
    void setupForm();
    // A group title with a rule of ruleWidth on either side, at (x, y).
    void addGroupTitle(const QString &name, const QString &text, int x, int y, int ruleY,
                       int ruleWidth);
    QLabel *addCaption(const QString &name, const QString &text, int editX, int y);
    QLabel *addUnit(const QString &name, const QString &text, int editX, int editY);
    // Places the columns spread by the factor; false when two texts then meet.
    bool placeColumns(double spread);

    static double level(const QLineEdit *edit, bool *ok);
    static int count(const QLineEdit *edit, bool *ok);

    std::unique_ptr<Form> m_form;
};
