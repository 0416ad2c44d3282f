#pragma once

#include "ADialog.h"

#include <QTimer>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

// Shown while the system control thread stops every worker. The program then ends in
// one of three ways: normally when that thread has finished (the GUI event loop quits),
// or at once, with exit code 0, by "FORCE CLOSE" or 30000 ms after the dialog appeared.
class ClosingPleaseWaitDialog : public ADialog
{
    Q_OBJECT
public:
    static constexpr int kCloseTimeoutMs = 30000;

    explicit ClosingPleaseWaitDialog(QWidget *parent);
    ~ClosingPleaseWaitDialog() override;

    // Connects the watched thread's finished() (the system control thread) and the
    // dialog's own show and hide requests, all queued. Call once, on the GUI thread, right
    // after construction. Always 0.
    int connectSignals(QThread *systemControllerThread);

    // Asks for the dialog to show; any thread.
    void requestShow();

    // The force-close count, for inspection.
    const QTimer &closeTimer() const { return m_closeTimer; }

signals:
    // Requests carried to the GUI thread, not the widget's event handlers.
    void showEvent();
    void hideEvent();

public slots:
    void onShowClosingPleaseWaitDialog();
    void onHideClosingPleaseWaitDialog();
    void onSystemControllerFinished();
    void on_pushButton_clicked();
    void onCloseTimer();

protected:
    virtual void showClosingDialog();
    virtual void hideClosingDialog();

private:
    struct Form
    {
        QWidget *background = nullptr;
        QProgressBar *progressBar = nullptr;
        QPushButton *pushButton = nullptr;
        QLabel *alertTextLabel = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
    QTimer m_closeTimer; // no parent, so that it can move to the application's thread
};
