#include "KIVSettingsCategorySelector.h"

#include <QGridLayout>
#include <QRadioButton>
#include <QSpacerItem>

namespace {

const QString &tabSheet()
{
    static const QString sheet = QStringLiteral(
        "QRadioButton {font-family: Verdana; font-size: 15px; font-weight: bold; "
        "padding-left: 12px; border-radius: 4px; border-style: solid; border-width: 1px; "
        "border-bottom-color: #000000; border-left-color: #0A0A0A; border-top-color: gray; "
        "border-right-color: transparent;}\n"
        "QRadioButton::indicator {width: 0px; height: 0px; image: none; border: none;}\n"
        "QRadioButton:checked {background-color: #656565; color: #FFFFFF;}\n"
        "QRadioButton:unchecked {background-color: #515151; color: #8E8E8E;}");
    return sheet;
}

} // namespace

KIVSettingsCategorySelector::KIVSettingsCategorySelector(QWidget *parent)
    : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    Form &f = *m_form;
    f.generalRadioButton->setText(tr("GENERAL"));
    f.agRadioButton->setText(tr("AUDIOGROUPS"));
    f.alertsRadioButton->setText(tr("ALERTS"));
    f.smptRadioButton->setText(tr("SMTP"));
    f.reportsRadioButton->setText(tr("REPORTS"));
    f.graphRadioButton->setText(tr("GRAPH"));
    selectGeneral();
}

KIVSettingsCategorySelector::~KIVSettingsCategorySelector() = default;

void KIVSettingsCategorySelector::setupForm()
{
    setObjectName(QStringLiteral("KIVSettingsCategorySelector"));
    setWindowTitle(QStringLiteral("Form"));
    setFixedSize(173, 692);
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QStringLiteral("background-color:#464646;"));

    Form &f = *m_form;
    f.gridLayout = new QGridLayout(this);
    f.gridLayout->setObjectName(QStringLiteral("gridLayout"));
    f.gridLayout->setSpacing(0);
    f.gridLayout->setContentsMargins(8, 6, 0, 0);

    auto addButton = [this, &f](QRadioButton *&button, const char *name, int row) {
        button = new QRadioButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setFixedSize(168, 45);
        button->setStyleSheet(tabSheet());
        f.gridLayout->addWidget(button, row, 0);
    };
    addButton(f.generalRadioButton, "generalRadioButton", 1);
    addButton(f.agRadioButton, "agRadioButton", 2);
    addButton(f.alertsRadioButton, "alertsRadioButton", 3);
    addButton(f.smptRadioButton, "smptRadioButton", 4);
    addButton(f.reportsRadioButton, "reportsRadioButton", 5);
    addButton(f.graphRadioButton, "graphRadioButton", 6);
    f.gridLayout->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding),
                          7, 0);

    QMetaObject::connectSlotsByName(this);
}

void KIVSettingsCategorySelector::selectGeneral()
{
    m_form->generalRadioButton->click();
}

QRadioButton *KIVSettingsCategorySelector::categoryButton(int category) const
{
    const Form &f = *m_form;
    switch (category) {
    case General:
        return f.generalRadioButton;
    case AudioGroups:
        return f.agRadioButton;
    case Alerts:
        return f.alertsRadioButton;
    case Smtp:
        return f.smptRadioButton;
    case Reports:
        return f.reportsRadioButton;
    case Graph:
        return f.graphRadioButton;
    default:
        return nullptr;
    }
}

void KIVSettingsCategorySelector::emitWhenChecked(bool checked, Category category)
{
    if (checked)
        emit showSettingsScreen(category);
}

void KIVSettingsCategorySelector::on_generalRadioButton_toggled(bool checked)
{
    emitWhenChecked(checked, General);
}

void KIVSettingsCategorySelector::on_agRadioButton_toggled(bool checked)
{
    emitWhenChecked(checked, AudioGroups);
}

void KIVSettingsCategorySelector::on_alertsRadioButton_toggled(bool checked)
{
    emitWhenChecked(checked, Alerts);
}

void KIVSettingsCategorySelector::on_reportsRadioButton_toggled(bool checked)
{
    emitWhenChecked(checked, Reports);
}

void KIVSettingsCategorySelector::on_smptRadioButton_clicked(bool checked)
{
    emitWhenChecked(checked, Smtp);
}

void KIVSettingsCategorySelector::on_graphRadioButton_clicked(bool checked)
{
    emitWhenChecked(checked, Graph);
}
