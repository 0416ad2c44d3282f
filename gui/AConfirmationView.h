#pragma once

#include "AView.h"

// A yes-or-no question as its controller sees it: the message and both button texts are
// set from outside; its please-wait box shows the progress of configuration operations.
class AConfirmationView : public AView
{
    Q_OBJECT
public:
    AConfirmationView(ViewType type, QWidget *parent);
    ~AConfirmationView() override;

signals:
    void OkButtonClick();
    void CancelButtonClick();

public slots:
    virtual void onShowPleaseWaitDialog(const QString &text) = 0;
    virtual void onHidePleaseWaitDialog() = 0;
    virtual void onSetTextContent(const QString &message, const QString &okText,
                                  const QString &cancelText) = 0;
};
