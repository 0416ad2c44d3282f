#pragma once

#include <HijackPermissionRequest.h>

#include <QObject>
#include <QString>

class AHijackRequestView;

// The hijack request window's controller. The system controller's thread shows a request
// (or hides the window) through its queued signals; the user's answer goes back to the
// system as a command.
class HijackRequestViewController : public QObject
{
    Q_OBJECT
public:
    HijackRequestViewController();
    ~HijackRequestViewController() override;

    // GUI thread: obtains the window and wires it; -1 when there is none.
    int init();
    // Any thread.
    void showRequest(const HijackPermissionRequest &request);

    AHijackRequestView *getView() const { return m_view; }

signals:
    void show(const HijackPermissionRequest &request);
    void hide();

public slots:
    void onOkButtonClick(const QString &instrumentName, const QString &requestId);
    void onCancelButtonClick(const QString &instrumentName, const QString &requestId);

private:
    AHijackRequestView *m_view = nullptr;
};
