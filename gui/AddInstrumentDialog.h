#pragma once

#include "AAddInstrumentView.h"
#include "KivPleaseWaitBox.h"

#include <memory>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

// Frameless, application-modal dialog for the address and password of a new meter. It
// checks nothing: the system's add-device operation validates, connects and answers with an
// alert. Built once and reused; what was typed stays for the next use.
class AddInstrumentDialog : public AAddInstrumentView
{
    Q_OBJECT
public:
    AddInstrumentDialog(ViewType type, QWidget *parent);
    ~AddInstrumentDialog() override;

    int initView() override { return 0; }
    // Makes GUIFactory build this dialog for view type 2.
    static void registerCreator();

public slots:
    void onShowPleaseWaitDialog(const QString &text) override;
    void onHidePleaseWaitDialog() override;
    void onOkButtonClicked();
    // The operation asks again on every step while it waits: an open dialog stays as it is,
    // with the caret and the typed text where the user left them.
    void onShow() override;
    void onHide() override;

protected:
    // Return and Enter confirm, unless CANCEL has the focus; Escape cancels.
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Form
    {
        QWidget *background = nullptr;
        QLabel *addDeviceStaticLabel = nullptr;
        QLabel *iPStaticLabel = nullptr;
        QLineEdit *iPLineEdit = nullptr;
        QLabel *pwdStaticLabel = nullptr;
        QLineEdit *pWDLineEdit = nullptr;
        QPushButton *okButton = nullptr;
        QPushButton *cancelButton = nullptr;
        QLabel *confirmAndSaveLabel = nullptr;
        QLabel *discardChanges = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
    KivPleaseWaitBox m_pleaseWait{nullptr};
};
