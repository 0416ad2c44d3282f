#pragma once

#include "NUVCustomButton.h"

class QLabel;

// A styled toggle button with one text: raised and light while unchecked, pressed and
// dark while checked. It keeps its own checked state; a click flips it and emits onCheck
// with the new state, setChecked sets it silently (for owners that mirror a remote state).
class SimpleCheckboxButton : public NUVCustomButton
{
    Q_OBJECT
public:
    explicit SimpleCheckboxButton(QWidget *parent);
    ~SimpleCheckboxButton() override;

    void setChecked(bool checked);
    bool isChecked() const { return m_checked; }
    void setText(const QString &text);
    QString text() const;

signals:
    void onCheck(bool checked);

public slots:
    void onClick();

protected:
    void updateCheckedLook();
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool m_checked = false;
    QLabel *m_label = nullptr;
};
