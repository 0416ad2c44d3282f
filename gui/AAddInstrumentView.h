#pragma once

#include "AView.h"

// The add-device dialog as its controller sees it: the typed address and password go out,
// and the system's add-device operation shows and hides the dialog and its please-wait box.
class AAddInstrumentView : public AView
{
    Q_OBJECT
public:
    AAddInstrumentView(ViewType type, QWidget *parent);
    ~AAddInstrumentView() override;

signals:
    void OkButtonClick(const QString &address, const QString &password);
    void CancelButtonClick();

public slots:
    virtual void onShowPleaseWaitDialog(const QString &text) = 0;
    virtual void onHidePleaseWaitDialog() = 0;
};
