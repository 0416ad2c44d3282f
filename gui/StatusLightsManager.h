#pragma once

#include "StatusLight.h"
#include "StatusLightDescription.h"

#include <SystemConfig.h>

#include <QList>
#include <QMap>
#include <QString>

#include <functional>

class SystemUIData;

// Keeps one StatusLight per configured audiogroup, in step with the main window's state,
// and turns them into the descriptions the window draws. One thread at a time: the
// window's on the GUI thread, the display's watcher under the state's lock.
class StatusLightsManager
{
public:
    // Now on monotonicMSecs(); the lights age the status records against it.
    using Clock = std::function<qint64()>;

    StatusLightsManager();
    explicit StatusLightsManager(Clock clock);
    virtual ~StatusLightsManager();

    // Adds lights for new audiogroups, drops those of removed ones, refreshes the
    // configuration of the others, and gives every light its latest status.
    void update(const SystemUIData &state);

    // One per light, by instrument name and then audiogroup name, computed now.
    QList<StatusLightDescription> getStatusLightDescriptions() const;
    QList<StatusLightDescription> getStatusLightDescriptions(qint64 nowMs) const;
    // The first time after nowMs at which a description changes by age alone;
    // StatusLight::kNever when none does.
    qint64 nextChangeAfter(qint64 nowMs) const;
    // Gives one light its latest status, as update does for all; the light, or null when
    // the last update's configuration has none for the audiogroup.
    StatusLight *updateLight(const SystemUIData &state, const QString &instrumentName,
                             const QString &agName);

private:
    void applyConfig(const SystemConfig &config);
    static void feed(StatusLight &light, const SystemUIData &state, const QString &instrumentName,
                     const QString &agName);

    SystemConfig m_systemConfig;
    quint64 m_configRevision = 0;
    QMap<QString, QMap<QString, StatusLight>> m_lights;
    Clock m_clock;
};
