#pragma once

#include "Alert.h"

#include <KivThread.h>
#include <SystemConfig.h>

#include <QList>
#include <QMutex>

#include <atomic>

// Collects the alerts raised by the audiogroups for the alert e-mails.
class AlertManager : public KivThread
{
    Q_OBJECT
public:
    static constexpr int kMaxAlerts = 3000;
    static constexpr int kPassMs = 100;

    AlertManager();
    ~AlertManager() override;

    // Any thread; an alert beyond the limit is dropped.
    void addAlert(Alert alert);
    void setSystemConfig(SystemConfig config);
    int alertCount() const;

    // The loop ends at its next pass.
    void stop();
    // The thread is not running and its loop is not entered (also when never started).
    bool isStopped() const;

protected:
    void loop() override;

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_inLoop{false};
    mutable QMutex m_mutex;
    QList<Alert> m_alerts;
    SystemConfig m_config;
};
