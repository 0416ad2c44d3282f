#pragma once

#include <QObject>
#include <QString>

class AView;

// The add-device dialog's controller. The configuration operation drives the dialog
// through the signals, which may be emitted again and again from any thread.
class AddInstrumentViewController : public QObject
{
    Q_OBJECT
public:
    AddInstrumentViewController();
    ~AddInstrumentViewController() override;

    // GUI thread: obtains the dialog and wires it.
    void init();
    void showPleaseWait(const QString &text);

signals:
    void show();
    void hide();
    void showPleaseWaitDialog(const QString &text);
    void hidePleaseWaitDialog();

public slots:
    void onOkButtonClick(const QString &address, const QString &password);
    void onCancelButtonClick();

private:
    AView *m_view = nullptr;
};
