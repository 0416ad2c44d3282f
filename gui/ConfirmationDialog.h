#pragma once

#include "AConfirmationView.h"
#include "KivPleaseWaitBox.h"

#include <memory>

class QKeyEvent;
class QLabel;
class QPushButton;

// Frameless, application-modal yes-or-no box: the delete confirmation of the main window
// and the start-of-logging question of an audiogroup window.
class ConfirmationDialog : public AConfirmationView
{
    Q_OBJECT
public:
    ConfirmationDialog(ViewType type, QWidget *parent);
    ~ConfirmationDialog() override;

    int initView() override { return 0; }
    // Makes GUIFactory build this dialog for view type 3.
    static void registerCreator();

public slots:
    // The delete operation asks again on every step while it waits. An open box is not
    // raised again: it would cover an alert box opened after it, which alone takes input.
    void onShow() override;
    void onShowPleaseWaitDialog(const QString &text) override;
    void onHidePleaseWaitDialog() override;
    void onSetTextContent(const QString &message, const QString &okText,
                          const QString &cancelText) override;

protected:
    // Escape answers with the cancel button; nothing else has a key of its own.
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Form
    {
        QWidget *background = nullptr;
        QLabel *confirmationMessage = nullptr;
        QPushButton *okButton = nullptr;
        QPushButton *cancelButton = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
    KivPleaseWaitBox m_pleaseWait{nullptr};
};
