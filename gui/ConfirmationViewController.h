#pragma once

#include <QObject>
#include <QString>

class AView;

// The delete confirmation dialog's controller.
class ConfirmationViewController : public QObject
{
    Q_OBJECT
public:
    ConfirmationViewController();
    ~ConfirmationViewController() override;

    // GUI thread: obtains the dialog and wires it.
    void init();
    void showDeleteConfirmation();

signals:
    void show();
    void hide();
    void setTextContent(const QString &text, const QString &okText, const QString &cancelText);
    void showPleaseWait(const QString &text);
    void hidePleaseWait();

public slots:
    void onOkButtonClick();
    void onCancelButtonClick();

private:
    AView *m_view = nullptr;
};
