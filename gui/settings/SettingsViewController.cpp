#include "SettingsViewController.h"

#include <ASystem.h>
#include <AView.h>
#include <GUIFactory.h>

SettingsViewController::SettingsViewController() = default;

SettingsViewController::~SettingsViewController()
{
    delete m_view;
}

void SettingsViewController::init()
{
    m_timer.init(kUpdateIntervalMs, this, &SettingsViewController::onUpdateTimer);
    m_view = GUIFactory::getInstance()->createView(kViewTypeSettings);
    if (!m_view)
        return;
    connect(this, &SettingsViewController::show, m_view, &AView::onShow, Qt::QueuedConnection);
    connect(this, &SettingsViewController::hide, m_view, &AView::onHide, Qt::QueuedConnection);
    connect(m_view, &AView::viewHide, this, &SettingsViewController::onViewHide,
            Qt::DirectConnection);
}

void SettingsViewController::start()
{
    QMutexLocker lock(&m_mutex);
    if (m_shown)
        return;
    if (ASystem *system = ASystem::instance())
        m_config = system->getSystemConfig();
    m_shown = true;
    m_timer.start();
    emit show();
}

void SettingsViewController::stop()
{
    QMutexLocker lock(&m_mutex);
    m_shown = false;
    emit hide();
    m_timer.stop();
}

void SettingsViewController::stopUpdateTimer()
{
    m_timer.stopAndWait();
}

void SettingsViewController::showPleaseWait(const QString &text)
{
    emit showPleaseWaitDialog(text);
}

void SettingsViewController::hidePleaseWait()
{
    emit hidePleaseWaitDialog();
}

SystemConfig SettingsViewController::getSystemConfig() const
{
    QMutexLocker lock(&m_mutex);
    return m_config;
}

void SettingsViewController::onUpdateTimer() {}

void SettingsViewController::onSaveSettingsButtonClick()
{
    if (ASystem *system = ASystem::instance())
        system->saveSettings();
}

void SettingsViewController::onCancelButtonClick()
{
    if (ASystem *system = ASystem::instance())
        system->cancelSettings();
}

void SettingsViewController::onViewHide()
{
    onCancelButtonClick();
}

void SettingsViewController::onAudioGroupSettingsChanged(const AgConfig &agConfig,
                                                         const QString &instrumentName)
{
    QMutexLocker lock(&m_mutex);
    if (!m_config.hasAgConfig(instrumentName, agConfig.getName()))
        return;
    InstrumentConfig instrument = m_config.getInstrument(instrumentName);
    instrument.removeAgConfig(agConfig.getName());
    instrument.setAgConfig(agConfig);
    // Updating a held instrument would keep its stored audiogroups.
    m_config.removeInstrument(instrumentName);
    m_config.addOrUpdateInstrument(instrument);
}
