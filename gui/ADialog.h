#pragma once

#include <QWidget>

class QCloseEvent;

// Base of the small boxes (please-wait, alert, closing). They never close themselves:
// a close request only emits viewHide(), and their owner hides or deletes them.
class ADialog : public QWidget
{
    Q_OBJECT
public:
    explicit ADialog(QWidget *parent);
    ~ADialog() override;

signals:
    void viewHide();

protected:
    void closeEvent(QCloseEvent *event) override;
};
