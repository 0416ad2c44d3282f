#include "StatusLightsManager.h"

#include "SystemUIData.h"

#include <KivUtils.h>

#include <algorithm>

StatusLightsManager::StatusLightsManager() : StatusLightsManager(&monotonicMSecs) {}

StatusLightsManager::StatusLightsManager(Clock clock) : m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = &monotonicMSecs;
}

StatusLightsManager::~StatusLightsManager() = default;

void StatusLightsManager::update(const SystemUIData &state)
{
    // The lights follow a new configuration only; between two, the records are enough.
    if (state.getConfigRevision() != m_configRevision || state.getConfigRevision() == 0) {
        m_configRevision = state.getConfigRevision();
        applyConfig(state.getSystemConfig());
    }

    for (auto instrument = m_lights.begin(); instrument != m_lights.end(); ++instrument) {
        for (auto light = instrument->begin(); light != instrument->end(); ++light)
            feed(*light, state, instrument.key(), light.key());
    }
}

void StatusLightsManager::applyConfig(const SystemConfig &config)
{
    m_systemConfig = config;
    const bool acquisitionOn = m_systemConfig.getManualAcquisitionOn();

    // Add and refresh.
    for (const InstrumentConfig &instrument : m_systemConfig.getInstruments()) {
        QMap<QString, StatusLight> &lights = m_lights[instrument.getName()];
        for (const AgConfig &ag : instrument.getAgConfigs()) {
            auto light = lights.find(ag.getName());
            if (light == lights.end())
                lights.insert(ag.getName(), StatusLight(acquisitionOn, instrument, ag));
            else
                light->setConfiguration(acquisitionOn, instrument, ag);
        }
    }

    // Remove what the configuration no longer holds.
    for (auto instrument = m_lights.begin(); instrument != m_lights.end();) {
        if (!m_systemConfig.hasInstrument(instrument.key())) {
            instrument = m_lights.erase(instrument);
            continue;
        }
        for (auto light = instrument->begin(); light != instrument->end();) {
            if (m_systemConfig.hasAgConfig(instrument.key(), light.key()))
                ++light;
            else
                light = instrument->erase(light);
        }
        ++instrument;
    }
}

QList<StatusLightDescription> StatusLightsManager::getStatusLightDescriptions() const
{
    return getStatusLightDescriptions(m_clock());
}

QList<StatusLightDescription> StatusLightsManager::getStatusLightDescriptions(qint64 now) const
{
    QList<StatusLightDescription> descriptions;
    for (const QMap<QString, StatusLight> &lights : m_lights) {
        for (const StatusLight &light : lights)
            descriptions.append(light.getDescription(now));
    }
    return descriptions;
}

qint64 StatusLightsManager::nextChangeAfter(qint64 nowMs) const
{
    qint64 next = StatusLight::kNever;
    for (const QMap<QString, StatusLight> &lights : m_lights) {
        for (const StatusLight &light : lights)
            next = std::min(next, light.nextChangeAfter(nowMs));
    }
    return next;
}

StatusLight *StatusLightsManager::updateLight(const SystemUIData &state,
                                              const QString &instrumentName, const QString &agName)
{
    auto instrument = m_lights.find(instrumentName);
    if (instrument == m_lights.end())
        return nullptr;
    auto light = instrument->find(agName);
    if (light == instrument->end())
        return nullptr;
    feed(*light, state, instrumentName, agName);
    return &*light;
}

void StatusLightsManager::feed(StatusLight &light, const SystemUIData &state,
                               const QString &instrumentName, const QString &agName)
{
    // A record copy is deep; an unchanged one is not copied again.
    const AcquisitionAg *record = state.findAcquisitionAg(instrumentName, agName);
    if (!record)
        light.setAcquisitionAg(AcquisitionAg());
    else if (!record->sameStatus(light.getAcquisitionAg()))
        light.setAcquisitionAg(*record);
    light.setAgViolations(state.getAgViolations(instrumentName, agName));
}
