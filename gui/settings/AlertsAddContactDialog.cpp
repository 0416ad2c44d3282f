#include "AlertsAddContactDialog.h"

#include "SettingsStyles.h"

#include <ASystem.h>
#include <DialogStyles.h>
#include <TextRoom.h>

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

void showAlert(const QString &text)
{
    if (ASystem *system = ASystem::instance())
        system->showAlert(text);
}

} // namespace

AlertsAddContactDialog::AlertsAddContactDialog(QWidget *parent)
    : ADialog(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint);
    m_form->phoneNumberStaticLabel_2->setVisible(false);
    m_form->phoneNumberLineEdit_2->setVisible(false);
}

AlertsAddContactDialog::~AlertsAddContactDialog() = default;

void AlertsAddContactDialog::setupForm()
{
    using SettingsStyles::addWhiteLabel;
    setObjectName(QStringLiteral("AlertsAddContactDialog"));
    setWindowTitle(QStringLiteral("Dialog"));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(508, 440);

    Form &f = *m_form;
    f.widget = SettingsStyles::addPanel(this, QStringLiteral("widget"), QRect(0, 0, 508, 440),
                                        QStringLiteral("#widget {background-color:rgb(65,65,65);}"));

    f.dialogTitleStaticLabel_2 = addWhiteLabel(f.widget, QStringLiteral("dialogTitleStaticLabel_2"),
                                               tr("Add New Contact"), 17, QFont::Bold);
    f.dialogTitleStaticLabel_2->setGeometry(0, 25, 508, 36);
    f.dialogTitleStaticLabel_2->setAlignment(Qt::AlignCenter);

    // Caption and field, one pair under the other.
    struct Row
    {
        QLabel *&label;
        QLineEdit *&edit;
        const char *labelName;
        const char *editName;
        QString text;
    };
    const Row rows[] = {
        {f.firstNameStaticLabel_2, f.firstNameLineEdit_2, "firstNameStaticLabel_2",
         "firstNameLineEdit_2", tr("First name")},
        {f.lastNameStaticLabel_2, f.lastNameLineEdit_2, "lastNameStaticLabel_2",
         "lastNameLineEdit_2", tr("Last name")},
        {f.emailAddrStaticLabel_2, f.emailAddressLineEdit_2, "emailAddrStaticLabel_2",
         "emailAddressLineEdit_2", tr("E-mail address")},
        {f.phoneNumberStaticLabel_2, f.phoneNumberLineEdit_2, "phoneNumberStaticLabel_2",
         "phoneNumberLineEdit_2", tr("Phone number")},
    };
    int y = 90;
    for (const Row &row : rows) {
        row.label = addWhiteLabel(f.widget, QString::fromLatin1(row.labelName), row.text, 11);
        // Up to the field, so that a caption grown with larger text moves the field.
        row.label->setGeometry(44, y, 146, 30);
        row.edit = SettingsStyles::addLineEdit(f.widget, QString::fromLatin1(row.editName));
        row.edit->setGeometry(190, y, 274, 30);
        y += 55;
    }

    f.okButton = DialogStyles::addButton(f.widget, QStringLiteral("okButton"),
                                         QRect(38, 330, 197, 45), DialogStyles::pushButtonSheet());
    f.okButton->setMinimumSize(100, 45);
    f.okButton->setText(tr("OK"));
    f.confirmAndSaveLabel = SettingsStyles::addCaption(
        f.widget, QStringLiteral("confirmAndSaveLabel"), tr("confirm and save changes"));
    f.confirmAndSaveLabel->setGeometry(38, 380, 197, 20);
    f.cancelButton =
        DialogStyles::addButton(f.widget, QStringLiteral("cancelButton"), QRect(273, 330, 197, 45),
                                DialogStyles::pushButtonSheet());
    f.cancelButton->setMinimumSize(100, 45);
    f.cancelButton->setText(tr("CANCEL"));
    f.discartChangesStaticLabel = SettingsStyles::addCaption(
        f.widget, QStringLiteral("discartChangesStaticLabel"), tr("discart changes"));
    f.discartChangesStaticLabel->setGeometry(273, 380, 197, 20);

    setTabOrder(f.firstNameLineEdit_2, f.lastNameLineEdit_2);
    setTabOrder(f.lastNameLineEdit_2, f.emailAddressLineEdit_2);
    setTabOrder(f.emailAddressLineEdit_2, f.phoneNumberLineEdit_2);
    setTabOrder(f.phoneNumberLineEdit_2, f.okButton);
    setTabOrder(f.okButton, f.cancelButton);

    f.firstNameLineEdit_2->clear();
    f.lastNameLineEdit_2->clear();
    f.emailAddressLineEdit_2->clear();
    f.phoneNumberLineEdit_2->clear();
    TextRoom::growWindow(f.widget);

    QMetaObject::connectSlotsByName(this);
}

void AlertsAddContactDialog::on_okButton_clicked()
{
    const Form &f = *m_form;
    AlertContactConfig contact;
    contact.setEmail(f.emailAddressLineEdit_2->text());
    contact.setName(f.firstNameLineEdit_2->text() + QLatin1Char(' ') + f.lastNameLineEdit_2->text());
    if (f.firstNameLineEdit_2->text().isEmpty() || f.lastNameLineEdit_2->text().isEmpty()) {
        showAlert(tr("First name and last name are mandatory fields !"));
        return;
    }
    m_validator.setConfig(&contact);
    QString message;
    const bool valid = m_validator.validate(message, false);
    m_validator.setConfig(nullptr);
    if (!valid) {
        showAlert(message);
        return;
    }
    hide();
    emit addAlertContact(contact);
}

void AlertsAddContactDialog::on_cancelButton_clicked()
{
    hide();
}

void AlertsAddContactDialog::keyPressEvent(QKeyEvent *event)
{
    ADialog::keyPressEvent(event);
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return;
    event->accept();
    // The window's own focus child: the box may not be the active window yet.
    if (focusWidget() == m_form->cancelButton)
        m_form->cancelButton->click();
    else
        m_form->okButton->click();
}
