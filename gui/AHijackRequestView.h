#pragma once

#include "AView.h"

#include <HijackPermissionRequest.h>

// The hijack request window as its controller sees it: one request at a time, answered
// with its instrument name and id.
class AHijackRequestView : public AView
{
    Q_OBJECT
public:
    AHijackRequestView(ViewType type, QWidget *parent);
    ~AHijackRequestView() override;

signals:
    void okButtonClick(const QString &instrumentName, const QString &requestId);
    void cancelButtonClick(const QString &instrumentName, const QString &requestId);

public slots:
    // Shows the request, replacing the one shown before.
    virtual void onShowDialog(const HijackPermissionRequest &request) = 0;
};
