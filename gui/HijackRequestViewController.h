#pragma once

#include <HijackPermissionRequest.h>

#include <QObject>
#include <QString>

class AView;

// The hijack request window's controller.
class HijackRequestViewController : public QObject
{
    Q_OBJECT
public:
    HijackRequestViewController();
    ~HijackRequestViewController() override;

    // GUI thread: obtains the window and wires it.
    void init();
    void showRequest(const HijackPermissionRequest &request);

signals:
    void show(const HijackPermissionRequest &request);
    void hide();

public slots:
    void onOkButtonClick(const QString &instrumentName, const QString &requestId);
    void onCancelButtonClick(const QString &instrumentName, const QString &requestId);

private:
    AView *m_view = nullptr;
};
