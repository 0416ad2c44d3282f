#pragma once

#include <ARequest.h>

#include <QObject>
#include <QString>

#include <limits>

class InstrumentManager;
class SystemConfig;

// One queued change of the running configuration. The ConfigController runs the oldest
// queued operation one step per system controller cycle (100 ms) until it has failed or
// completed; its message is then shown (unless the operation works silently) and it is
// deleted. Everything here runs on the system controller's thread.
class AConfigManagementOperation : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kNoDeadline = std::numeric_limits<qint64>::max();
    // The longest wait for every controller to pause, and again to resume.
    static constexpr int kPauseWaitMs = 7000;
    static constexpr int kPausePollMs = 25;

    AConfigManagementOperation(int type, int id);
    ~AConfigManagementOperation() override;

    int getType() const { return m_type; }
    int getId() const { return m_id; }
    bool isStarted() const { return m_started; }
    bool isFinished() const { return m_finished; }
    bool isFailed() const { return m_failed; }
    bool isCompleted() const { return m_completed; }
    bool getShowResult() const { return m_showResult; }
    QString getMessage() const { return m_message; }
    qint64 getDeadline() const { return m_deadline; }
    // On the clock of nowMs().
    void setDeadline(qint64 deadline) { m_deadline = deadline; }

    // One cycle: the deadline, a step, or the end (result shown, finished set).
    void run();
    // Pauses everything (at most 7000 ms), applies changeSystemConfig, retires what the
    // configuration no longer holds, creates what it newly holds, resumes everything and
    // has every audiogroup store the configuration. 0 when the change was applied, -1 when
    // the pause failed and nothing was changed.
    int applyConfigChange();
    // Queues the configuration text (without the SMTP settings) to every audiogroup's
    // database; 0, or -1 when it could not be queued everywhere.
    int saveConfigToDatabases();

    // A reply of the add-device transport; the text is only read during the call.
    virtual void onNetworkReply(int networkError, int kind, const QString *text);
    // The user's answer in the confirmation dialog.
    virtual void onConfirm();
    virtual void onRefuse();

signals:
    void networkRequest(ARequest::CommandType kind, ARequest *request, const QString &host,
                        const QString &port);

protected:
    // The operation's own edit, run by applyConfigChange while everything is paused.
    virtual void changeSystemConfig() = 0;
    virtual void step() = 0;
    // Undoes what a step may leave behind when the deadline passes.
    virtual void abort() = 0;
    // The message when the deadline passes.
    virtual QString timeoutMessage() const;

    void setFailed(const QString &message);
    void setCompleted(const QString &message);
    void setMessage(const QString &message) { m_message = message; }
    void setShowResult(bool show) { m_showResult = show; }
    // Lets an operation run again as if new (the settings dialog after a refused save).
    void restart();

    // Milliseconds of a monotonic clock.
    static qint64 nowMs();
    static InstrumentManager *instrumentManager();
    // Publishes the configuration to the running system and writes "_config.xml"; a failed
    // write is logged only.
    static void publishAndSave(const SystemConfig &config);
    // Shows the please-wait box of the confirmation dialog.
    static void showConfirmationPleaseWait(const QString &text);

private:
    void retireRemoved(InstrumentManager *manager);
    void createAdded(InstrumentManager *manager);

    int m_type;
    int m_id;
    bool m_started = false;
    bool m_finished = false;
    bool m_showResult = true;
    qint64 m_deadline = kNoDeadline;
    bool m_failed = false;
    bool m_completed = false;
    QString m_message;
};
