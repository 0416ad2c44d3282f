#include "StatusLightsManager.h"

#include "SystemUIData.h"

#include <KivUtils.h>

StatusLightsManager::StatusLightsManager() : StatusLightsManager(&currentUtcMSecs) {}

StatusLightsManager::StatusLightsManager(Clock clock) : m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = &currentUtcMSecs;
}

StatusLightsManager::~StatusLightsManager() = default;

void StatusLightsManager::update(const SystemUIData &state)
{
    m_systemConfig = state.getSystemConfig();
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

    // Feed.
    for (auto instrument = m_lights.begin(); instrument != m_lights.end(); ++instrument) {
        for (auto light = instrument->begin(); light != instrument->end(); ++light) {
            light->setAcquisitionAg(state.getAcquisitionAg(instrument.key(), light.key()));
            light->setAgViolations(state.getAgViolations(instrument.key(), light.key()));
        }
    }
}

QList<StatusLightDescription> StatusLightsManager::getStatusLightDescriptions() const
{
    const qint64 now = m_clock();
    QList<StatusLightDescription> descriptions;
    for (const QMap<QString, StatusLight> &lights : m_lights) {
        for (const StatusLight &light : lights)
            descriptions.append(light.getDescription(now));
    }
    return descriptions;
}
