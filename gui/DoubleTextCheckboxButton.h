#pragma once

#include "NUVCustomButton.h"

#include <QColor>

class QLabel;

// A styled toggle button that reads one text while unchecked and another while checked
// (START / STOP). Like SimpleCheckboxButton it keeps its own state: a click flips it and
// emits onCheck, setChecked is silent.
class DoubleTextCheckboxButton : public NUVCustomButton
{
    Q_OBJECT
public:
    explicit DoubleTextCheckboxButton(QWidget *parent);
    ~DoubleTextCheckboxButton() override;

    void setTexts(const QString &uncheckedText, const QString &checkedText);
    void setChecked(bool checked);
    bool isChecked() const { return m_checked; }
    // The text shown now.
    QString text() const;
    // Room for both texts, so that the button keeps its size when it flips.
    QSize sizeHint() const override;

    static const QColor &uncheckedTextColour();
    static const QColor &checkedTextColour();

signals:
    void onCheck(bool checked);

public slots:
    void onClick();

protected:
    void updateCheckedLook();
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_label1 = nullptr;
    bool m_checked = false;
    QString m_uncheckedText;
    QString m_checkedText;
};
