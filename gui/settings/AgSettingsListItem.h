#pragma once

#include <QWidget>

#include <memory>

class QGridLayout;
class QLabel;

// One row of the settings' audiogroup list: the instrument name above the audiogroup name,
// each shortened to fit, both in full in the tool tip that the page gives the row.
class AgSettingsListItem : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMaxTextWidth = 190;

    explicit AgSettingsListItem(QWidget *parent);
    ~AgSettingsListItem() override;

    void setInstrumentName(const QString &name);
    void setAgName(const QString &name);
    QString getInstrumentNameText() const;
    QString getAgNameText() const;

    // Sets the text on the label, shortened at the right to at most 190 px of the label's
    // font (more where the desktop's text is larger).
    static void setElidedText(const QString &text, QLabel *label);
    // How much wider than the form a row and its labels are for the desktop's text size.
    static int extraWidth(const QWidget *label);

private:
    struct Form
    {
        QGridLayout *gridLayout = nullptr;
        QLabel *labelInstrumentName = nullptr;
        QLabel *labelAgName = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
};
