#pragma once

#include <QObject>
#include <QString>

class AConfirmationView;

// The controller of the system's one yes-or-no dialog: the delete confirmation, and through
// its please-wait box the progress texts of the configuration operations. Those operations
// call it from the system controller's thread; the signals reach the dialog queued.
// showPleaseWait and hidePleaseWait are emitted directly.
class ConfirmationViewController : public QObject
{
    Q_OBJECT
public:
    ConfirmationViewController();
    ~ConfirmationViewController() override;

    // GUI thread: obtains the dialog and wires it; -1 when the factory gives no
    // confirmation dialog.
    int init();
    AConfirmationView *getView() const { return m_view; }

    // The delete question with "Yes" and "No", shown (again).
    void showDeleteConfirmation();
    void hideView();

signals:
    void show();
    void hide();
    void setTextContent(const QString &message, const QString &okText, const QString &cancelText);
    void showPleaseWait(const QString &text);
    void hidePleaseWait();

public slots:
    void onOkButtonClick();
    void onCancelButtonClick();

private:
    AConfirmationView *m_view = nullptr;
};
