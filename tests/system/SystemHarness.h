#pragma once

#include <System.h>

#include <MeterSimulator.h>

#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QThread>

#include <functional>
#include <memory>

// The system as the program runs it, in the test process, with what the user would see
// recorded: alerts and please-wait texts. Every configuration applied directly (which the
// configuration operations do with every controller paused) records whether all
// instruments and audiogroups were paused at that moment.
class RecordingSystem : public System
{
public:
    void showAlert(const QString &text) override;
    void setSystemConfig(const SystemConfig &config) override;
    void addAlert(const Alert &alert) override;

    QStringList alerts() const;
    QStringList pleaseWaitTexts() const;
    void recordPleaseWait(const QString &text);
    // One entry per direct application: true when everything was paused.
    QList<bool> pausedWhenApplied() const;
    // The descriptions of the alerts the audiogroups raised, in arrival order.
    QStringList raisedAlerts() const;

private:
    mutable QMutex m_mutex;
    QStringList m_alerts;
    QStringList m_pleaseWait;
    QList<bool> m_paused;
    QStringList m_raised;
};

// A meter simulator on an address of its own (127.0.x.y) and port 80, in a thread of its own.
class SimulatedMeter
{
public:
    // index: a different address per meter of one test.
    explicit SimulatedMeter(int index);
    ~SimulatedMeter();
    SimulatedMeter(const SimulatedMeter &) = delete;
    SimulatedMeter &operator=(const SimulatedMeter &) = delete;

    // Port 0 picks a free port (meter().port()); the add-device dialog reaches port 80 only.
    bool listen(quint16 port = 80);
    MeterSimulator *operator->() const { return m_meter; }
    MeterSimulator &meter() const { return *m_meter; }
    QString address() const { return m_address; }
    // Whether this process may listen on port 80: as root, or in the private network
    // namespace the test runner makes (cmake/run-netns.sh). Tests skip without it.
    static bool canListenOnPort80();

private:
    static QString addressOf(int index);

    QThread m_thread;
    MeterSimulator *m_meter;
    QString m_address;
};

// Starts and stops the system; between runs the data folder is emptied.
class SystemHarness
{
public:
    SystemHarness();
    ~SystemHarness();

    // Once per process, with the application object alive.
    static void initGui();

    // Writes "_config.xml" into an empty data folder, then runs `prepare` (which may put
    // files there), and starts the system; true once its controller runs with its
    // instruments built.
    bool start(const SystemConfig &config, const std::function<void()> &prepare = {});
    // Closes the system and waits until every thread has ended.
    bool stop();
    RecordingSystem *system() const { return m_system.get(); }
    ASystem *front() const { return m_system.get(); }

    // True when the alert was shown within the time.
    bool waitForAlert(const QString &text, int timeoutMs = 15000) const;
    // True once no configuration operation is queued.
    bool waitForIdle(int timeoutMs = 20000) const;
    // Posts through `post` (which must queue) and waits until `operations` configuration
    // changes have been applied and no operation is left.
    bool applyAndWait(const std::function<int()> &post, int operations = 1) const;

    static SystemConfig storedConfig();

private:
    std::unique_ptr<RecordingSystem> m_system;
};

// The level-0 time stamps of an audiogroup database, oldest first; empty when unreadable.
QList<qint64> storedTimestamps(const QString &path);
// Where an audiogroup database misses a 100 ms sample of the meter or holds one twice, from
// its first stored sample on ("<file>: <stamp> then <stamp>"); empty when nowhere.
QString gapsOrDuplicates(const QString &path);
// The configuration text stored in an audiogroup database, empty when none.
QString storedConfigText(const QString &path);
