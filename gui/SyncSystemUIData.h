#pragma once

#include "StatusLightDescription.h"
#include "StatusLightsManager.h"
#include "SystemUIData.h"

#include <QList>
#include <QMap>
#include <QMutex>
#include <QPair>
#include <QString>

// The main window's state behind one mutex: the control side writes status into it from
// its own threads, the GUI thread takes whole copies. Every operation holds the lock for
// its whole duration, so a copy never shows half of an update.
//
// Between changes it would show, the display sleeps: a GUI thread woken twice a second to
// draw the same lights cost more than the loggers' own work. Each setter says whether it
// woke a sleeping display, and the caller then has the GUI thread show the state.
class SyncSystemUIData
{
public:
    SyncSystemUIData();
    SyncSystemUIData(const SyncSystemUIData &) = delete;
    SyncSystemUIData &operator=(const SyncSystemUIData &) = delete;
    virtual ~SyncSystemUIData();

    bool setSystemConfig(SystemConfig config);
    bool setAgViolations(const QString &instrumentName, const QString &agName,
                         const AgViolations &violations);
    bool setAcquisitionStatus(const QList<AcquisitionAg> &status);

    SystemUIData getSystemUIData() const;
    // The copy to show. The display then sleeps until a setter changes what it would show,
    // or until *wakeAtMs (on monotonicMSecs(); StatusLight::kNever: no such time), when a
    // light's record has aged past a bound.
    SystemUIData takeForSleepingDisplay(qint64 *wakeAtMs);

private:
    // Under the lock, after a change of these audiogroups: whether the sleeping display
    // must show it. Only their lights are looked at: all twenty at every publish cost the
    // publishing threads more than the display's ticks had.
    bool wakesDisplay(const QList<QPair<QString, QString>> &changed);

    mutable QMutex m_mutex;
    SystemUIData m_data;
    bool m_displaySleeps = false;
    // The same lights as the window's, fed with the same state, to tell what it would show.
    StatusLightsManager m_watch;
    // What the window shows, by instrument and audiogroup name.
    QMap<QString, QMap<QString, StatusLightDescription>> m_shown;
    qint64 m_wakeAtMs = StatusLight::kNever;
};
