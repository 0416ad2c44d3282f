#include "GraphSettings.h"

#include "SettingsStyles.h"

#include <DialogStyles.h>
#include <KivConstants.h>
#include <KivTypes.h>
#include <SystemConfig.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpacerItem>

#include <iterator>

GraphSettings::GraphSettings(QWidget *parent) : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    fillCombos();
}

GraphSettings::~GraphSettings() = default;

void GraphSettings::setupForm()
{
    SettingsStyles::setUpPage(this, QStringLiteral("GraphSettings"));

    Form &f = *m_form;
    f.gridLayout = new QGridLayout(this);
    f.gridLayout->setObjectName(QStringLiteral("gridLayout"));
    f.gridLayout->setContentsMargins(90, 40, 90, 100);
    f.gridLayout->setHorizontalSpacing(40);
    f.gridLayout->setVerticalSpacing(14);

    f.HideProgramIdLabel =
        SettingsStyles::addWhiteLabel(this, QStringLiteral("HideProgramIdLabel"),
                                      tr("Hide program identifier in graphical view"), 14);
    f.gridLayout->addWidget(f.HideProgramIdLabel, 0, 0);
    f.HideProgramIdCheckbox =
        SettingsStyles::addCheckBox(this, QStringLiteral("HideProgramIdCheckbox"));
    f.gridLayout->addWidget(f.HideProgramIdCheckbox, 0, 1);
    f.gridLayout->addItem(new QSpacerItem(20, 20, QSizePolicy::Minimum, QSizePolicy::Fixed), 2, 0);

    for (int i = 0; i < kRangeButtonCount; ++i) {
        // Row 2 stays empty, below the check box.
        const int row = i == 0 ? 1 : i + 2;
        QLabel *label = SettingsStyles::addWhiteLabel(
            this, QStringLiteral("RangeButtonLabel%1").arg(i + 1),
            tr("%1. Range Button Value").arg(i + 1), 14);
        f.rangeButtonLabels[i] = label;
        f.gridLayout->addWidget(label, row, 0);

        auto *combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("rangeButtonValue%1").arg(i + 1));
        combo->setEditable(false);
        combo->setMaxVisibleItems(20);
        combo->setMinimumHeight(25);
        if (i > 0)
            combo->setMinimumWidth(41);
        combo->setFont(DialogStyles::verdana(11));
        combo->setStyleSheet(SettingsStyles::comboBoxSheet());
        f.rangeButtonValues[i] = combo;
        f.gridLayout->addWidget(combo, row, 1);
    }
    f.gridLayout->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding),
                          9, 0, 1, 2);

    QMetaObject::connectSlotsByName(this);
}

void GraphSettings::fillCombos()
{
    // Filling would run the distinctness rule over half-filled combos; the page leaves its
    // constructor with exactly the initial values.
    for (int level = 0; level < kZoomLevelCount; ++level) {
        const QString label = KivConstants::zoomLevelLabel(level);
        for (QComboBox *combo : m_form->rangeButtonValues) {
            const QSignalBlocker blocker(combo);
            combo->addItem(label);
        }
    }
    // A fresh page shows what a fresh configuration holds.
    const QList<int> initial = SystemConfig::defaultRangeSettings();
    for (int i = 0; i < kRangeButtonCount; ++i) {
        const QSignalBlocker blocker(m_form->rangeButtonValues[i]);
        m_form->rangeButtonValues[i]->setCurrentIndex(initial.value(i));
    }
}

QList<int> GraphSettings::rangeValues() const
{
    QList<int> values;
    for (const QComboBox *combo : m_form->rangeButtonValues)
        values.append(combo->currentIndex());
    return values;
}

QComboBox *GraphSettings::rangeComboBox(int position) const
{
    if (position < 0 || position >= kRangeButtonCount)
        return nullptr;
    return m_form->rangeButtonValues[position];
}

void GraphSettings::setRangeValues(const QList<int> &values)
{
    // Each change runs the distinctness rule for its combo.
    for (int i = 0; i < kRangeButtonCount && i < values.size(); ++i)
        m_form->rangeButtonValues[i]->setCurrentIndex(values.at(i));
}

void GraphSettings::keepRangeValuesDistinct(int changed)
{
    if (changed < 0 || changed >= kRangeButtonCount)
        return;
    QList<int> values = rangeValues();
    // 72 h is never chosen by the rule, only by the user.
    QList<int> free;
    for (int level = 0; level < ZoomLevel72h; ++level) {
        if (!values.contains(level))
            free.append(level);
    }
    int nextFree = 0;
    for (int p = 0; p < kRangeButtonCount; ++p) {
        if (p != changed && values.at(p) == values.at(changed) && nextFree < free.size())
            values[p] = free.at(nextFree++);
    }
    setRangeValues(values);
}

void GraphSettings::onUpdateGraphSettingsSubview(bool hideProgramId, const QList<int> &ranges)
{
    m_form->HideProgramIdCheckbox->setChecked(hideProgramId);
    // A short list would leave combos without a value: the page keeps what it shows.
    if (ranges.size() >= kRangeButtonCount)
        setRangeValues(ranges.mid(0, kRangeButtonCount));
}

void GraphSettings::onRetrieveGraphSettings()
{
    emit graphSettingsDidChange(m_form->HideProgramIdCheckbox->isChecked(), rangeValues());
}

void GraphSettings::on_rangeButtonValue1_currentIndexChanged(int)
{
    keepRangeValuesDistinct(0);
}

void GraphSettings::on_rangeButtonValue2_currentIndexChanged(int)
{
    keepRangeValuesDistinct(1);
}

void GraphSettings::on_rangeButtonValue3_currentIndexChanged(int)
{
    keepRangeValuesDistinct(2);
}

void GraphSettings::on_rangeButtonValue4_currentIndexChanged(int)
{
    keepRangeValuesDistinct(3);
}

void GraphSettings::on_rangeButtonValue5_currentIndexChanged(int)
{
    keepRangeValuesDistinct(4);
}

void GraphSettings::on_rangeButtonValue6_currentIndexChanged(int)
{
    keepRangeValuesDistinct(5);
}

void GraphSettings::on_rangeButtonValue7_currentIndexChanged(int)
{
    keepRangeValuesDistinct(6);
}
