#pragma once

#include <QLabel>

// A label that emits onClick when any mouse button is released on it.
class ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget *parent);
    ~ClickableLabel() override;

signals:
    void onClick();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
