#include "AlertsSettings.h"

#include "AlertsListItem.h"
#include "SettingsStyles.h"

#include <DialogStyles.h>
#include <NUVListWidget.h>
#include <TextRoom.h>
#include <WindowPlacement.h>

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

AlertsSettings::AlertsSettings(QWidget *parent)
    : QWidget(parent), m_form(std::make_unique<Form>()), m_addContactDialog(nullptr)
{
    setupForm();
    m_form->alertsContentListWidget->setLayoutDirection(Qt::LeftToRight);
    connect(&m_addContactDialog, &AlertsAddContactDialog::addAlertContact, this,
            &AlertsSettings::addAlertContact, Qt::DirectConnection);
}

AlertsSettings::~AlertsSettings() = default;

void AlertsSettings::setupForm()
{
    setObjectName(QStringLiteral("AlertsSettings"));
    setWindowTitle(QStringLiteral("Form"));
    resize(SettingsStyles::kPageWidth, SettingsStyles::kPageHeight);
    setFixedHeight(SettingsStyles::kPageHeight);
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(SettingsStyles::pageBackgroundSheet());

    Form &f = *m_form;
    f.gridLayout = new QGridLayout(this);
    f.gridLayout->setObjectName(QStringLiteral("gridLayout"));
    f.gridLayout->setSpacing(0);
    f.gridLayout->setContentsMargins(0, 0, 0, 0);

    f.widget = new QWidget(this);
    f.widget->setObjectName(QStringLiteral("widget"));
    f.widget->setMinimumSize(SettingsStyles::kPageWidth, SettingsStyles::kPageHeight);
    f.gridLayout->addWidget(f.widget, 0, 0);

    f.layoutWidget = new QWidget(f.widget);
    f.layoutWidget->setObjectName(QStringLiteral("layoutWidget"));
    f.layoutWidget->setGeometry(300, 62, 251, 42);
    f.alertsCheckBoxGrid = new QGridLayout(f.layoutWidget);
    f.alertsCheckBoxGrid->setObjectName(QStringLiteral("alertsCheckBoxGrid"));
    f.alertsCheckBoxGrid->setHorizontalSpacing(6);
    f.alertsCheckBoxGrid->setContentsMargins(0, 0, 0, 0);
    f.enableAlertsStaticLabel = SettingsStyles::addWhiteLabel(
        f.layoutWidget, QStringLiteral("enableAlertsStaticLabel"), tr("Enable alerts?"), 13);
    f.alertsCheckBoxGrid->addWidget(f.enableAlertsStaticLabel, 0, 0);
    f.enableAlertsCheckBox =
        SettingsStyles::addCheckBox(f.layoutWidget, QStringLiteral("enableAlertsCheckBox"));
    f.alertsCheckBoxGrid->addWidget(f.enableAlertsCheckBox, 0, 1);

    f.alertsContentListWidget = new NUVListWidget(f.widget);
    f.alertsContentListWidget->setObjectName(QStringLiteral("alertsContentListWidget"));
    f.alertsContentListWidget->setGeometry(20, 120, 810, 400);
    f.alertsContentListWidget->setMinimumSize(810, 400);

    f.okButton = new QPushButton(tr("ADD NEW CONTACT"), f.widget);
    f.okButton->setObjectName(QStringLiteral("okButton"));
    f.okButton->setGeometry(285, 540, 281, 45);
    f.okButton->setFixedHeight(45);
    f.okButton->setFont(DialogStyles::verdana(13, QFont::Bold));
    f.okButton->setStyleSheet(SettingsStyles::greyButtonSheet());
    TextRoom::atLeast(f.okButton);

    f.label = SettingsStyles::addPageTitle(f.widget, tr("ALERTS"));

    QMetaObject::connectSlotsByName(this);
}

NUVListWidget *AlertsSettings::getListWidget() const
{
    return m_form->alertsContentListWidget;
}

void AlertsSettings::onUpdateAlertsSettings(bool enabled, const QList<AlertContactConfig> &contacts)
{
    m_form->enableAlertsCheckBox->setChecked(enabled);
    QListWidget *list = m_form->alertsContentListWidget->getListWidget();
    list->clear();
    for (const AlertContactConfig &contact : contacts) {
        auto *row = new AlertsListItem(nullptr);
        row->setUserName(contact.getName());
        row->setEmailAddress(contact.getEmail());
        connect(row, &AlertsListItem::deleteUserWithId, this, &AlertsSettings::removeAlertContact,
                Qt::DirectConnection);
        auto *item = new QListWidgetItem();
        item->setSizeHint(row->size());
        list->addItem(item);
        list->setItemWidget(item, row);
    }
}

void AlertsSettings::onRetrieveAlertContactConfigList()
{
    const bool enabled = m_form->enableAlertsCheckBox->isChecked();
    QList<AlertContactConfig> contacts;
    QListWidget *list = m_form->alertsContentListWidget->getListWidget();
    for (int i = 0; i < list->count(); ++i) {
        const auto *row = qobject_cast<const AlertsListItem *>(list->itemWidget(list->item(i)));
        if (!row)
            continue;
        AlertContactConfig contact;
        contact.setName(row->getUserName());
        contact.setEmail(row->getEmailAddress());
        contacts.append(contact);
    }
    emit alertSettingsDidChange(enabled, contacts);
}

void AlertsSettings::on_okButton_clicked()
{
    // Over the settings window, not where the window system would put it.
    if (!m_addContactDialog.isVisible())
        WindowPlacement::placeOver(&m_addContactDialog, WindowPlacement::boxOwner(nullptr));
    m_addContactDialog.show();
}
