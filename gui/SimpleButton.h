#pragma once

#include "NUVCustomButton.h"

class QLabel;

// A plain styled button: the raised light face with one white text.
class SimpleButton : public NUVCustomButton
{
    Q_OBJECT
public:
    explicit SimpleButton(QWidget *parent);
    ~SimpleButton() override;

    void setText(const QString &text);
    QString text() const;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QLabel *m_label = nullptr;
};
