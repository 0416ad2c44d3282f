#pragma once

#include <SMTPConfig.h>

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The SMTP page: the mail server, its account and the sender address, and the SEND TEST
// EMAIL button, disabled with a note under it while a test e-mail waits to be sent.
class SmtpSettings : public QWidget
{
    Q_OBJECT
public:
    explicit SmtpSettings(QWidget *parent);
    ~SmtpSettings() override;

signals:
    void smtpSettingsDidChange(const SMTPConfig &config);
    void testSMTPSettingsButtonClick();

public slots:
    void onUpdateSmtpSettingsSubview(const SMTPConfig &config);
    void onRetrieveSmtpConfig();
    void onUpdateSMTPSettingsTestButton(bool busy);

private:
    struct Form
    {
        QWidget *wrapperWidget = nullptr;
        QLabel *label = nullptr;
        QLabel *connectionTypeLabel = nullptr;
        QComboBox *connectionComboBox = nullptr;
        QLabel *serverAddressStaticlabel = nullptr;
        QLineEdit *serverAddressLineEdit = nullptr;
        QLabel *serverPortStaticLabel = nullptr;
        QLineEdit *serverPortLineEdit = nullptr;
        QLabel *usernameStaticLabel = nullptr;
        QLineEdit *usernameLineEdit = nullptr;
        QLabel *emailAddrStaticLabel_3 = nullptr;
        QLineEdit *passwordLineEdit = nullptr;
        QLabel *emailFromLabel_3 = nullptr;
        QLineEdit *emailFromLineEdit = nullptr;
        QPushButton *testButton = nullptr;
        QLabel *testButtonInfo = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
};
