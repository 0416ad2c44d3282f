#pragma once

#include "ADialog.h"

#include <memory>

class QLabel;
class QProgressBar;
class QShowEvent;

// Frameless, application-modal box with a message and a busy bar. Every window that runs
// long operations holds one without a parent; the user cannot close it.
class KivPleaseWaitBox : public ADialog
{
    Q_OBJECT
public:
    explicit KivPleaseWaitBox(QWidget *parent);
    ~KivPleaseWaitBox() override;

    // An empty text clears the message.
    void setText(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Form
    {
        QWidget *background = nullptr;
        QLabel *alertTextLabel = nullptr;
        QProgressBar *progressBar = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
};
