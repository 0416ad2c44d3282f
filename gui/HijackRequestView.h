#pragma once

#include "AHijackRequestView.h"

class QLabel;
class QPushButton;

// Frameless, application-modal box that asks whether a meter may be taken over from the
// session holding it: "Allow" or "Deny". It stays up after an answer until the system
// hides it or shows the next request.
class HijackRequestView : public AHijackRequestView
{
    Q_OBJECT
public:
    HijackRequestView(ViewType type, QWidget *parent);
    ~HijackRequestView() override;

    int initView() override { return 0; }
    HijackPermissionRequest getRequest() const { return m_request; }

    // Makes GUIFactory build this window for view type 8.
    static void registerCreator();
    static QString messageText(const QString &instrumentName);

public slots:
    void onShowDialog(const HijackPermissionRequest &request) override;
    void onOkButtonClick();
    void onCancelButtonClick();

private:
    void setupForm();

    QLabel *m_confirmationMessage = nullptr;
    QWidget *m_background = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QPushButton *m_okButton = nullptr;
    HijackPermissionRequest m_request;
};
