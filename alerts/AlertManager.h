#pragma once

#include "Alert.h"

#include <KivThread.h>
#include <LoopWaker.h>
#include <SystemConfigSync.h>

#include <QElapsedTimer>
#include <QMutex>
#include <QString>

#include <atomic>
#include <deque>
#include <functional>
#include <vector>

class SMTPRequest;

// Holds the alerts raised by the audiogroups and, at most once every ten minutes, turns
// every unsent alert into one HTML e-mail per valid alert contact, queued for the e-mail
// workers. So after any backlog (alerts held while the e-mail settings were invalid or the
// queue was full) a new alert still goes out with the next e-mail the pace allows.
//
// Alerts are numbered as they arrive: a batch is every held alert not yet handed over, and
// the number of its last alert marks what has been handed over. Alerts of several audiogroup
// threads may arrive out of time order; none is skipped for that. While the system-wide
// alerts switch is off, alerts are dropped, and those held are counted as handed over: once
// switched on, the first e-mail holds only what was raised from then on.
class AlertManager : public KivThread
{
    Q_OBJECT
public:
    static constexpr int kMaxAlerts = 3000;
    // While a batch waits for room in the e-mail queue, a pass every kPassMs; otherwise
    // the thread sleeps until an alert, a configuration or a stop comes, or the next
    // hand-over of held alerts is due, and at most kIdlePassMs; with no alert to hand over,
    // at most kQuietPassMs.
    static constexpr int kPassMs = 100;
    static constexpr int kIdlePassMs = 1000;
    static constexpr int kQuietPassMs = 60000;
    // Between two hand-overs.
    static constexpr qint64 kMailSpacingMs = 600000;
    // Results of sendAlerts.
    static constexpr int kComposeFailed = 0x60100001;
    static constexpr int kQueueOverflow = 0x60100002;
    static const char *const kTemplatePath;
    static const char *const kSubject;

    using Clock = std::function<qint64()>;

    AlertManager();
    ~AlertManager() override;

    // Any thread. At the cap the oldest alerts make room; unsent ones among them are
    // logged as lost. Dropped while the system-wide alerts switch is off.
    void addAlert(Alert alert);
    // Called by the system on every change of the configuration. Switching alerts off
    // counts every held alert as handed over.
    void setSystemConfig(SystemConfig config);
    int alertCount() const;

    // The loop ends at its next pass.
    void stop();
    // The thread is not running and its loop is not entered (also when never started).
    bool isStopped() const;

    // The clock (ms) that spaces the e-mails; by default a monotonic one, so a change of the
    // wall clock neither holds the e-mails back nor sends them early. Any thread.
    void setClock(Clock clock);
    // One pass of the loop: hands the next batch over when it is due and the e-mail
    // settings allow it.
    void step();
    // How long the thread sleeps after this pass unless woken (ms).
    qint64 msUntilNextPass() const;

    // The HTML body of a batch; result 0, or -1 when the template could not be run.
    static QString composeEmailBody(const std::vector<Alert> &batch, int &result);
    // Valid SMTP settings and at least one valid contact.
    static bool isEmailConfigured(const SystemConfig &config);

protected:
    void loop() override;

private:
    struct HeldAlert
    {
        quint64 number;
        Alert alert;
    };
    struct Batch
    {
        std::vector<Alert> alerts;
        quint64 first = 0;
        quint64 last = 0;
    };

    // The e-mail body of a batch, composed once while the batch waits for room in the queue.
    struct Composed
    {
        quint64 first = 0;
        quint64 last = 0;
        QString body;
        int result = -1;
    };

    Batch collectBatch() const;
    void markSent(quint64 lastNumber);
    // One request per valid contact, all queued or none: 0, kComposeFailed or
    // kQueueOverflow (any other value: the system could not be reached).
    void sendAlerts(const Batch &batch, const SystemConfig &config, int &result);
    QString nextRequestId();
    qint64 now() const;

    // Used on the manager's thread only.
    int m_requestCounter = 0;
    qint64 m_lastCheckTime = -1; // the last hand-over; -1 before the first
    quint64 m_loggedBatch = 0;   // first alert of the batch whose failure is logged
    Composed m_composed;
    bool m_waitingForQueue = false;
    LoopWaker m_waker;

    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_inLoop{false};
    SystemConfigSync m_config;
    QElapsedTimer m_monotonic;

    mutable QMutex m_alertsMutex;
    std::deque<HeldAlert> m_alerts;
    quint64 m_nextNumber = 1;
    quint64 m_lastSentNumber = 0;
    bool m_alertsEnabled = false;
    Clock m_clock;
};
