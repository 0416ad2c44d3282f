#pragma once

#include <QObject>
#include <QString>

class AAddInstrumentView;

// The add-device dialog's controller. The system's add-device operation drives the dialog
// through the operations below (or the signals, which they emit), again and again and from
// its own thread; the signals reach the dialog queued. The dialog's answers become commands.
class AddInstrumentViewController : public QObject
{
    Q_OBJECT
public:
    AddInstrumentViewController();
    ~AddInstrumentViewController() override;

    // GUI thread: obtains the dialog and wires it; -1 when the factory gives no add-device
    // dialog.
    int init();
    AAddInstrumentView *getView() const { return m_view; }

    void showView();
    void hideView();
    void showPleaseWait(const QString &text);
    void hidePleaseWait();

signals:
    void show();
    void hide();
    void showPleaseWaitDialog(const QString &text);
    void hidePleaseWaitDialog();

public slots:
    void onOkButtonClick(const QString &address, const QString &password);
    void onCancelButtonClick();

private:
    AAddInstrumentView *m_view = nullptr;
};
