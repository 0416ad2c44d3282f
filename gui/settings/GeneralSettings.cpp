#include "GeneralSettings.h"

#include "SettingsStyles.h"

#include <TextRoom.h>

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpacerItem>

GeneralSettings::GeneralSettings(QWidget *parent)
    : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
}

GeneralSettings::~GeneralSettings() = default;

void GeneralSettings::setupForm()
{
    SettingsStyles::setUpPage(this, QStringLiteral("GeneralSettings"));

    Form &f = *m_form;
    f.background = new QWidget(this);
    f.background->setObjectName(QStringLiteral("background"));
    f.background->setGeometry(0, 0, SettingsStyles::kPageWidth, SettingsStyles::kPageHeight);

    f.layoutWidget = new QWidget(f.background);
    f.layoutWidget->setObjectName(QStringLiteral("layoutWidget"));
    f.layoutWidget->setGeometry(150, 40, 521, 147);
    f.gridLayout = new QGridLayout(f.layoutWidget);
    f.gridLayout->setObjectName(QStringLiteral("gridLayout"));
    f.gridLayout->setHorizontalSpacing(40);
    f.gridLayout->setContentsMargins(0, 0, 0, 0);

    f.IPgmEndAlertsLabel =
        SettingsStyles::addWhiteLabel(f.layoutWidget, QStringLiteral("IPgmEndAlertsLabel"),
                                      tr("Integrated value check at program end only"), 14);
    f.gridLayout->addWidget(f.IPgmEndAlertsLabel, 0, 0);
    f.IPgmEndAlertsCheckbox =
        SettingsStyles::addCheckBox(f.layoutWidget, QStringLiteral("IPgmEndAlertsCheckbox"));
    f.gridLayout->addWidget(f.IPgmEndAlertsCheckbox, 0, 1);
    f.gridLayout->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding),
                          1, 0, 1, 2);
    TextRoom::growRow(f.background);
}

void GeneralSettings::onRetrieveGeneralSettings()
{
    emit generalSettingsDidChange(m_form->IPgmEndAlertsCheckbox->isChecked());
}

void GeneralSettings::onUpdateGeneralSettingsSubview(bool checkIAtProgramEndOnly)
{
    m_form->IPgmEndAlertsCheckbox->setChecked(checkIAtProgramEndOnly);
}
