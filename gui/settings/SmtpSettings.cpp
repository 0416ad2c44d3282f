#include "SmtpSettings.h"

#include "SettingsStyles.h"

#include <DialogStyles.h>
#include <KivTypes.h>
#include <NumberValidatorFactory.h>
#include <TextRoom.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kCaptionX = 90;
constexpr int kFieldX = 280;
constexpr int kFieldWidth = 470;
constexpr int kFieldHeight = 26;

} // namespace

SmtpSettings::SmtpSettings(QWidget *parent) : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    Form &f = *m_form;
    connect(f.testButton, &QPushButton::clicked, this, &SmtpSettings::testSMTPSettingsButtonClick,
            Qt::DirectConnection);
    f.serverPortLineEdit->setValidator(
        createNumberValidator(kIntegerNumberValidator, 6, f.serverPortLineEdit));
    f.connectionComboBox->insertItem(0, smtpConnectionTypeToString(SmtpConnectionSSL));
    f.connectionComboBox->insertItem(1, smtpConnectionTypeToString(SmtpConnectionTCP));
}

SmtpSettings::~SmtpSettings() = default;

void SmtpSettings::setupForm()
{
    using SettingsStyles::addLineEdit;
    using SettingsStyles::addWhiteLabel;
    setObjectName(QStringLiteral("SmtpSettings"));
    setWindowTitle(QStringLiteral("Form"));
    resize(SettingsStyles::kPageWidth, SettingsStyles::kPageHeight);

    Form &f = *m_form;
    f.wrapperWidget = SettingsStyles::addPanel(
        this, QStringLiteral("wrapperWidget"),
        QRect(0, 0, SettingsStyles::kPageWidth, SettingsStyles::kPageHeight),
        SettingsStyles::pageBackgroundSheet());
    QWidget *w = f.wrapperWidget;

    f.label = SettingsStyles::addPageTitle(w, tr("SMTP"));

    // Caption left, field right, one row under the other.
    auto caption = [w](QLabel *&label, const char *name, const QString &text, int y) {
        label = addWhiteLabel(w, QString::fromLatin1(name), text, 11);
        label->setGeometry(kCaptionX, y, kFieldX - kCaptionX - 10, kFieldHeight);
    };
    auto field = [w](QLineEdit *&edit, const char *name, int y) {
        edit = addLineEdit(w, QString::fromLatin1(name));
        edit->setGeometry(kFieldX, y, kFieldWidth, kFieldHeight);
    };

    caption(f.connectionTypeLabel, "connectionTypeLabel", tr("Connection type:"), 100);
    f.connectionComboBox = new QComboBox(w);
    f.connectionComboBox->setObjectName(QStringLiteral("connectionComboBox"));
    f.connectionComboBox->setGeometry(kFieldX, 100, 120, kFieldHeight);
    f.connectionComboBox->setFont(DialogStyles::verdana(13));
    f.connectionComboBox->setStyleSheet(SettingsStyles::comboBoxSheet());

    caption(f.serverAddressStaticlabel, "serverAddressStaticlabel", tr("Server address"), 160);
    field(f.serverAddressLineEdit, "serverAddressLineEdit", 160);
    caption(f.serverPortStaticLabel, "serverPortStaticLabel", tr("Server port"), 220);
    field(f.serverPortLineEdit, "serverPortLineEdit", 220);
    caption(f.usernameStaticLabel, "usernameStaticLabel", tr("User name"), 280);
    field(f.usernameLineEdit, "usernameLineEdit", 280);
    caption(f.emailAddrStaticLabel_3, "emailAddrStaticLabel_3", tr("Password"), 340);
    field(f.passwordLineEdit, "passwordLineEdit", 340);
    f.passwordLineEdit->setEchoMode(QLineEdit::Password);
    caption(f.emailFromLabel_3, "emailFromLabel_3", tr("Sender email"), 420);
    field(f.emailFromLineEdit, "emailFromLineEdit", 420);

    f.testButton = new QPushButton(tr("SEND TEST EMAIL"), w);
    f.testButton->setObjectName(QStringLiteral("testButton"));
    f.testButton->setGeometry(275, 490, 300, 45);
    f.testButton->setFont(DialogStyles::verdana(18, QFont::Bold));
    f.testButton->setStyleSheet(SettingsStyles::greyButtonSheet());
    f.testButtonInfo = SettingsStyles::addCaption(w, QStringLiteral("testButtonInfo"),
                                                  tr("trying to send test email"));
    f.testButtonInfo->setGeometry(275, 540, 300, 20);
    f.testButtonInfo->hide();
    TextRoom::growRow(w);

    setTabOrder(f.connectionComboBox, f.serverAddressLineEdit);
    setTabOrder(f.serverAddressLineEdit, f.serverPortLineEdit);
    setTabOrder(f.serverPortLineEdit, f.usernameLineEdit);
    setTabOrder(f.usernameLineEdit, f.passwordLineEdit);
    setTabOrder(f.passwordLineEdit, f.emailFromLineEdit);
}

void SmtpSettings::onUpdateSmtpSettingsSubview(const SMTPConfig &config)
{
    Form &f = *m_form;
    // An unknown connection type leaves the combo as it was.
    const int index = f.connectionComboBox->findText(config.getConnectionType(), Qt::MatchExactly);
    if (index >= 0)
        f.connectionComboBox->setCurrentIndex(index);
    f.serverAddressLineEdit->setText(config.getHost());
    f.serverPortLineEdit->setText(QString::number(config.getPort()));
    f.usernameLineEdit->setText(config.getUser());
    f.passwordLineEdit->setText(config.getPassword());
    f.emailFromLineEdit->setText(config.getSenderEmailAddress());
}

void SmtpSettings::onRetrieveSmtpConfig()
{
    const Form &f = *m_form;
    SMTPConfig config;
    config.setConnectionType(f.connectionComboBox->currentText());
    config.setHost(f.serverAddressLineEdit->text());
    bool ok = false;
    const int port = f.serverPortLineEdit->text().toInt(&ok, 10);
    config.setPort(ok ? port : 0);
    config.setUser(f.usernameLineEdit->text());
    config.setPassword(f.passwordLineEdit->text());
    config.setSenderEmailAddress(f.emailFromLineEdit->text());
    emit smtpSettingsDidChange(config);
}

void SmtpSettings::onUpdateSMTPSettingsTestButton(bool busy)
{
    m_form->testButton->setEnabled(!busy);
    m_form->testButtonInfo->setVisible(busy);
}
