#include "AudioGroupsSettings.h"

#include "AgSettingsListItem.h"
#include "AlarmThreshold.h"
#include "AlarmThresholdSet.h"
#include "SettingsStyles.h"

#include <NUVListWidget.h>

#include <QLabel>
#include <QListWidget>

#include <algorithm>

namespace {

// One field of a threshold set: what the widget shows, the element it maps to in the main
// and in the secondary set, and the default that replaces a text without a number.
template <typename T> struct Field
{
    T (AlarmThreshold::*get)(bool *) const;
    void (AlarmThreshold::*set)(T);
    void (AgConfig::*setMain)(T);
    void (AgConfig::*setSecondary)(T);
    T defaultValue;
};

using LevelField = Field<double>;
using CountField = Field<int>;

// Reads one field back; a text that is no number shows and stores the default.
template <typename T>
void readField(AlarmThreshold &shown, const Field<T> &field, bool main, AgConfig &config)
{
    bool ok = false;
    T value = (shown.*field.get)(&ok);
    if (!ok) {
        value = field.defaultValue;
        (shown.*field.set)(value);
    }
    (config.*(main ? field.setMain : field.setSecondary))(value);
}

} // namespace

AudioGroupsSettings::AudioGroupsSettings(QWidget *parent)
    : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    connect(m_form->agListWidget->getListWidget(), &QListWidget::currentRowChanged, this,
            &AudioGroupsSettings::onAgSettingsElementClick, Qt::DirectConnection);
}

AudioGroupsSettings::~AudioGroupsSettings() = default;

void AudioGroupsSettings::setupForm()
{
    SettingsStyles::setUpPage(this, QStringLiteral("AudioGroupsSettings"));

    Form &f = *m_form;
    f.widget = new QWidget(this);
    f.widget->setObjectName(QStringLiteral("widget"));
    f.widget->setGeometry(0, 0, SettingsStyles::kPageWidth, SettingsStyles::kPageHeight);
    f.widget->setFixedSize(SettingsStyles::kPageWidth, SettingsStyles::kPageHeight);

    f.label = SettingsStyles::addPageTitle(f.widget, tr("AUDIOGROUPS"));

    f.alarmThresholdSet = new AlarmThresholdSet(f.widget);
    f.alarmThresholdSet->setObjectName(QStringLiteral("alarmThresholdSet"));
    // One pixel wider than the set's own width, as the form has it.
    const int setWidth = f.alarmThresholdSet->width() + 1;
    f.alarmThresholdSet->setGeometry(229, 64, 623, 521);
    f.alarmThresholdSet->setFixedWidth(623);
    f.alarmThresholdSet->setMinimumHeight(521);
    f.alarmThresholdSet->setMaximumHeight(621);
    f.alarmThresholdSet->setStyleSheet(QStringLiteral("background-color:darkgray;"));

    f.agListWidget = new NUVListWidget(f.widget);
    f.agListWidget->setObjectName(QStringLiteral("agListWidget"));
    f.agListWidget->setGeometry(0, 64, 229, 521);
    f.agListWidget->setStyleSheet(QStringLiteral("background-color:rgba(0,0,0,0);"));
    f.agListWidget->setLayoutDirection(Qt::RightToLeft);

    // Where the desktop's text is larger, the list widens with its rows' names and the set
    // with its texts, and the page with both.
    const int listWidth = 229 + AgSettingsListItem::extraWidth(f.agListWidget);
    const int pageWidth = std::max(SettingsStyles::kPageWidth, listWidth + setWidth - 1);
    if (pageWidth != SettingsStyles::kPageWidth) {
        f.agListWidget->resize(listWidth, f.agListWidget->height());
        f.alarmThresholdSet->setFixedWidth(setWidth);
        f.alarmThresholdSet->move(listWidth, f.alarmThresholdSet->y());
        f.widget->setFixedSize(pageWidth, SettingsStyles::kPageHeight);
        setFixedSize(pageWidth, SettingsStyles::kPageHeight);
    }
}

AlarmThresholdSet *AudioGroupsSettings::getAlarmThresholdSet() const
{
    return m_form->alarmThresholdSet;
}

NUVListWidget *AudioGroupsSettings::getListWidget() const
{
    return m_form->agListWidget;
}

void AudioGroupsSettings::onUpdateAudioGroupSettingsList(const QList<AGSettingsListModelItem> &items)
{
    m_form->alarmThresholdSet->clear();
    // The edits of the audiogroup shown so far are dropped, not sent.
    m_instrumentName.clear();
    m_items = items;
    QListWidget *list = m_form->agListWidget->getListWidget();
    list->clear();
    for (const AGSettingsListModelItem &item : items) {
        auto *row = new AgSettingsListItem(nullptr);
        row->setInstrumentName(item.getInstrumentName());
        row->setAgName(item.getAudioGroupName());
        row->setToolTip(QStringLiteral("%1 %2").arg(item.getInstrumentName(),
                                                    item.getAudioGroupName()));
        auto *listItem = new QListWidgetItem();
        listItem->setSizeHint(row->size());
        list->addItem(listItem);
        list->setItemWidget(listItem, row);
    }
    if (!items.isEmpty())
        list->setCurrentRow(0);
}

void AudioGroupsSettings::onAgSettingsElementClick(int row)
{
    if (row < 0 || row >= m_items.size())
        return;
    if (!m_instrumentName.isEmpty()) {
        retrieveAgConfig();
        emit AgSettingsDidChange(m_agConfig, m_instrumentName);
    }
    const AGSettingsListModelItem &item = m_items.at(row);
    emit AudioGroupSelected(item.getInstrumentName(), item.getAudioGroupName());
}

void AudioGroupsSettings::onPopulateAudioGroupSettings(const AgConfig &config,
                                                       const QString &instrumentName)
{
    m_agConfig = config;
    m_instrumentName = instrumentName;
    m_form->alarmThresholdSet->populate(config);
}

void AudioGroupsSettings::onRetrieveAudioGroupSettings()
{
    retrieveAgConfig();
    emit AgSettingsDidChange(m_agConfig, m_instrumentName);
}

void AudioGroupsSettings::retrieveAgConfig()
{
    const AlarmThresholdSet &set = *m_form->alarmThresholdSet;
    retrieveThreshold(*set.getMainThreshold(), true);
    retrieveThreshold(*set.getSecondaryThreshold(), false);
    m_agConfig.setAutoreconnect(set.isAutoreconnectChecked());
    m_agConfig.setAlertsEnabled(set.isAlertsEnabledChecked());
}

void AudioGroupsSettings::retrieveThreshold(AlarmThreshold &shown, bool main)
{
    static const LevelField iUpper{&AlarmThreshold::getIUpper, &AlarmThreshold::setIUpper,
                                   &AgConfig::setIUpperThreshold,
                                   &AgConfig::setIUpperSecondaryThreshold, 1.0};
    static const CountField iUpperCount{
        &AlarmThreshold::getIUpperCount, &AlarmThreshold::setIUpperCount,
        &AgConfig::setIUpperCountMainThreshold, &AgConfig::setIUpperCountSecondaryThreshold, 1};
    static const LevelField iLower{&AlarmThreshold::getILower, &AlarmThreshold::setILower,
                                   &AgConfig::setILowerThreshold,
                                   &AgConfig::setILowerSecondaryThreshold, -1.0};
    static const CountField iLowerCount{
        &AlarmThreshold::getILowerCount, &AlarmThreshold::setILowerCount,
        &AgConfig::setILowerCountMainThreshold, &AgConfig::setILowerCountSecondaryThreshold, 1};
    static const LevelField mUpper{&AlarmThreshold::getMUpper, &AlarmThreshold::setMUpper,
                                   &AgConfig::setMUpperThreshold,
                                   &AgConfig::setMUpperSecondaryThreshold, 8.0};
    static const CountField mCount{&AlarmThreshold::getMCount, &AlarmThreshold::setMCount,
                                   &AgConfig::setMCountMainThreshold,
                                   &AgConfig::setMCountSecondaryThreshold, 1};
    static const LevelField sUpper{&AlarmThreshold::getSUpper, &AlarmThreshold::setSUpper,
                                   &AgConfig::setSUpperThreshold,
                                   &AgConfig::setSUpperSecondaryThreshold, 3.0};
    static const CountField sCount{&AlarmThreshold::getSCount, &AlarmThreshold::setSCount,
                                   &AgConfig::setSCountMainThreshold,
                                   &AgConfig::setSCountSecondaryThreshold, 1};
    static const LevelField tpUpper{&AlarmThreshold::getTPUpper, &AlarmThreshold::setTPUpper,
                                    &AgConfig::setTPUpperThreshold,
                                    &AgConfig::setTPUpperSecondaryThreshold, -3.0};
    static const CountField tpCount{&AlarmThreshold::getTPCount, &AlarmThreshold::setTPCount,
                                    &AgConfig::setTPCountMainThreshold,
                                    &AgConfig::setTPCountSecondaryThreshold, 1};

    readField(shown, iUpper, main, m_agConfig);
    readField(shown, iUpperCount, main, m_agConfig);
    readField(shown, iLower, main, m_agConfig);
    readField(shown, iLowerCount, main, m_agConfig);
    readField(shown, mUpper, main, m_agConfig);
    readField(shown, mCount, main, m_agConfig);
    readField(shown, sUpper, main, m_agConfig);
    readField(shown, sCount, main, m_agConfig);
    readField(shown, tpUpper, main, m_agConfig);
    readField(shown, tpCount, main, m_agConfig);
    if (main)
        m_agConfig.setMainThresholdActiveState(shown.isActive());
    else
        m_agConfig.setSecondaryThresholdActiveState(shown.isActive());
}
