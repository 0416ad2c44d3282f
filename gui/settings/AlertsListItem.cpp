#include "AlertsListItem.h"

#include "SettingsStyles.h"

#include <DialogStyles.h>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>

AlertsListItem::AlertsListItem(QWidget *parent)
    : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
}

AlertsListItem::~AlertsListItem() = default;

void AlertsListItem::setupForm()
{
    setObjectName(QStringLiteral("AlertsListItem"));
    setWindowTitle(QStringLiteral("Form"));
    resize(790, 100);

    Form &f = *m_form;
    f.horizontalLayout = new QHBoxLayout(this);
    f.horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    f.horizontalLayout->setContentsMargins(20, 5, 20, 5);

    f.userNameLabel = SettingsStyles::addWhiteLabel(this, QStringLiteral("userNameLabel"),
                                                    QStringLiteral("asasasa"), 14, QFont::Bold);
    f.userNameLabel->setTextFormat(Qt::PlainText);
    f.userNameLabel->setWordWrap(true);
    f.userNameLabel->setMaximumSize(400, 90);
    // The same width in every row, so the address fields line up.
    f.userNameLabel->setMinimumWidth(320);
    f.horizontalLayout->addWidget(f.userNameLabel);
    f.horizontalLayout->addItem(new QSpacerItem(18, 20, QSizePolicy::Expanding));

    f.gridLayout = new QGridLayout();
    f.gridLayout->setObjectName(QStringLiteral("gridLayout"));
    f.emailStaticLabel = SettingsStyles::addWhiteLabel(this, QStringLiteral("emailStaticLabel"),
                                                       tr("E-mail address"), 11);
    f.gridLayout->addWidget(f.emailStaticLabel, 0, 0);
    f.emailAddressLineEdit =
        SettingsStyles::addLineEdit(this, QStringLiteral("emailAddressLineEdit"));
    f.emailAddressLineEdit->setMinimumWidth(260);
    f.gridLayout->addWidget(f.emailAddressLineEdit, 1, 0);
    f.horizontalLayout->addLayout(f.gridLayout);
    f.horizontalLayout->addItem(new QSpacerItem(17, 20, QSizePolicy::Fixed));

    f.pushButton = new QPushButton(tr("Remove"), this);
    f.pushButton->setObjectName(QStringLiteral("pushButton"));
    f.pushButton->setFont(DialogStyles::verdana(11));
    f.pushButton->setMinimumSize(90, 30);
    f.pushButton->setStyleSheet(QStringLiteral(
        "QPushButton {color:white; background-color:#464646; border: 1px solid #3A3A3A; "
        "border-radius: 4px;}\nQPushButton:pressed {background-color:#3A3A3A;}"));
    f.horizontalLayout->addWidget(f.pushButton);

    QMetaObject::connectSlotsByName(this);
}

void AlertsListItem::setUserName(const QString &name)
{
    m_form->userNameLabel->setText(name);
}

QString AlertsListItem::getUserName() const
{
    return m_form->userNameLabel->text();
}

void AlertsListItem::setEmailAddress(const QString &address)
{
    m_form->emailAddressLineEdit->setText(address);
}

QString AlertsListItem::getEmailAddress() const
{
    return m_form->emailAddressLineEdit->text();
}

void AlertsListItem::on_pushButton_clicked()
{
    emit deleteUserWithId(m_form->userNameLabel->text());
}
