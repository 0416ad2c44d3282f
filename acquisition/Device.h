#pragma once

#include "AcquisitionAgManager.h"
#include "StampRuns.h"

#include "config/InstrumentConfig.h"
#include "core/ConfigRevisionWatch.h"

#include <QList>
#include <QMap>
#include <QString>

#include <array>
#include <atomic>
#include <limits>

class ADeviceNetworkInterface;
class AcquisitionResponse;
class AgCommandReply;
class ARequest;
class AgDataVector;
class Command;
class DeviceNetworkInterfaceReply;

// The protocol side of one meter: logs in, reads the meter's configuration when the meter
// asks for it, and polls the samples of its audiogroups. Runs on its instrument
// controller's thread only; the hijack answers are the one thing other threads hand in.
class Device
{
public:
    enum State { StateStart = 0, StateLogin = 1, StateData = 2, StateConfig = 3 };
    // Request ids run from 0 to kRequestIdWrap - 1.
    static constexpr int kRequestIdWrap = 200000;
    static constexpr qint64 kLoginPacingMs = 1000;
    static constexpr qint64 kTimestampPacingMs = 100;
    // How long after a GETDATA its reply, once off the network, may take to reach this
    // thread before the time stamps are asked without it.
    static constexpr qint64 kReplyRoutingGraceMs = 1000;
    // How long a read acquisition interval is used before the configuration is read again.
    static constexpr qint64 kSettingsRefreshMs = 250;
    // How long a posted batch waits for its store result before its audiogroup is asked
    // for its time stamp instead, and before time stamps older than it count again.
    static constexpr qint64 kPendingBatchExpiryMs = 10000;
    // A sample stamped further ahead of this computer's clock than this when it arrives is
    // not stored: one stray stamp years ahead would otherwise hold back every later sample.
    static constexpr qint64 kFutureLimitMs = 10 * 60 * 1000;
    // Samples of one audiogroup not stored, or stamped ahead, are logged at most this
    // often per cause.
    static constexpr qint64 kFutureLogPacingMs = 60000;
    // An ordinary offset between the meter's clock and this computer's. A sample stamped
    // further ahead is stored, and told as the meter's clock running ahead, so that it can
    // be set before samples are lost.
    static constexpr qint64 kClockToleranceMs = 2000;
    // Samples further apart than this, or a first sample this much later than the one it
    // was asked after, leave a gap in what the meter delivered.
    static constexpr qint64 kGapToleranceMs = 1000;
    // The meters' sample interval, when a reply does not show it.
    static constexpr qint64 kSampleIntervalMs = 100;
    // A meter that answers without a new sample for an audiogroup this long is told as
    // delivering none.
    static constexpr qint64 kNoNewSampleMs = 30000;

    Device();
    virtual ~Device();
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;

    // 0x40200001 without an interface; takes ownership of it otherwise.
    int init(bool acquisitionFlag, const InstrumentConfig &config, int interfaceType,
             ADeviceNetworkInterface *networkInterface);
    void updateConfig(bool acquisitionFlag, const InstrumentConfig &config);

    void step();
    // When step() next has something to do, in ms: -1 not before a reply, an answer or a
    // configuration arrives; 0 at once. Follows the pacing of the requests.
    qint64 msUntilNextStep() const;
    // Instrument controller commands 0, 1 and 2.
    int onRawDataReceived(Command *command);
    int onTimestampReply(AgCommandReply *reply);
    // The store result carries the newest stored time stamp, which makes the audiogroup
    // ready again without asking it.
    int onStoreResult(AgCommandReply *reply);
    // After a pause of the controller: the store results and batches it dropped never come,
    // so no batch is awaited any longer and the audiogroups are asked for their newest
    // stored sample at once. Waiting for the batches to expire instead would leave the
    // meter unasked for longer than it may keep its samples.
    void onResumed();
    // Any thread, as a store result is queued: true when the thread should wake for it,
    // that is when it is the last one owed for the batches of the latest data reply (or
    // none was owed). The others wait for it, so one reply costs one wake-up.
    bool takeStoreResult() { return m_storeResultsOwed.fetch_sub(1) <= 1; }
    void resetAcquisitionStatus();
    QList<AcquisitionAg> getAcquisitionStatus() const;
    bool hasAcquisitionStatus(const QList<AcquisitionAg> &list) const
    {
        return m_agManager.hasStatus(list);
    }

    // The user's answer to a hijack question, from any thread; applied at the next step.
    // Allowed: the next login takes the meter over. Reset (denied, or the question could
    // not be asked): the hijack is forgotten and the next login is a plain one.
    void allowHijackRequest();
    void resetHijackRequest();
    bool isHijackPermissionRequested() const { return m_hijackPermissionRequested.load(); }

    QString getName() const { return m_instrumentConfig.getName(); }
    int getState() const { return m_state; }
    bool isAcquisitionActive() const { return m_acquisitionActive; }
    QString getSession() const { return m_session; }
    bool getHijackMode() const { return m_hijackMode; }
    QString getHijackId() const { return m_hijackId; }
    int getLastLoginCode() const { return m_lastCodes[StageLogin].code; }
    int getLastDataCode() const { return m_lastCodes[StageData].code; }
    int getLastConfigCode() const { return m_lastCodes[StageConfig].code; }
    int getRequestCounter() const { return m_requestCounter; }
    ADeviceNetworkInterface *getNetworkInterface() const { return m_networkInterface; }

protected:
    // Monotonic milliseconds: setting the wall clock back must not stall the pacing.
    virtual qint64 nowMs() const;
    // This computer's clock, ms since the epoch (UTC), which samples are compared with.
    virtual qint64 utcNowMs() const;
    // Kind 0 LOGIN, 1 GETCONFIG, 2 GETDATA; null for another kind. The caller owns it.
    ARequest *createRequest(int kind);

private:
    enum HijackAnswer { HijackNoAnswer = 0, HijackAllowed = 1, HijackReset = 2 };
    // The stages of the login, data and configuration states (state - 1).
    enum Stage { StageLogin = 0, StageData = 1, StageConfig = 2, StageCount = 3 };
    // The status code of a stage's last reply since the state was entered; -1 before the
    // first. fresh: the reply that brought it has not been acted on yet.
    struct LastCode
    {
        int code = -1;
        bool fresh = false;
    };
    static constexpr qint64 kNever = std::numeric_limits<qint64>::min();

    void applyHijackAnswer();
    void forgetHijack();
    void setState(int state);
    // One step of a stage, as its last code says (the stage table in Device.cpp).
    void runStage(Stage stage);
    void setLastCode(Stage stage, int code);
    void sendStageRequest(Stage stage);
    void sendLogin();
    void sendGetConfig();
    void sendPaced(int kind, qint64 &lastRequestTime);
    void pollData();
    void requestTimestamps();
    bool elapsed(qint64 last, qint64 intervalMs) const;
    // Until elapsed(last, intervalMs) holds.
    qint64 msUntilElapsed(qint64 last, qint64 intervalMs) const;
    qint64 msUntilStageWork(Stage stage) const;
    qint64 msUntilDataWork() const;
    qint64 msWhileDataReplyDue() const;
    // A batch posted to the audiogroup awaits its store result, for kPendingBatchExpiryMs
    // at most.
    bool isAwaitingStoreResult(const QString &name) const;
    int acquisitionTimeoutMs();

    void handleLoginResponse(const QString &body);
    void handleGetConfigResponse(const QString &body);
    void handleAcquisitionResponse(const DeviceNetworkInterfaceReply &reply);
    void dispatchData(AcquisitionResponse &response);
    // Takes the samples stamped too far ahead out of the batch; counts and logs them, the
    // samples stamped before the one asked after, those stamped ahead of this computer's
    // clock and the gaps; tells an audiogroup that gets no new sample. asked: the stamp it
    // was asked after, -1 when it was not asked. Returns the newest stamp left, -1 for none.
    qint64 inspectBatch(const QString &name, qint64 asked, int available, AgDataVector &batch);

    // Samples of one audiogroup and cause not yet logged: how many, their stamps.
    struct Told
    {
        int count = 0;
        qint64 from = 0;
        qint64 to = 0;
        qint64 loggedAt = kNever;
        void add(qint64 stamp);
    };
    enum AgCause { AgCauseNone, AgCauseMissing, AgCauseNoNewSample };
    struct AgWatch
    {
        StampRuns futureRuns;
        StampRuns oldRuns;
        Told future;
        Told old;
        Told ahead;
        qint64 aheadMs = 0;
        // When a new sample last came (or asking began); kNever before the first ask.
        qint64 lastNewSampleAt = kNever;
        AgCause cause = AgCauseNone;
        QString causeText;
        qint64 causeSince = 0;
    };
    enum ToldKind { ToldFuture, ToldOld, ToldAhead };
    void tellSamples(const QString &name, Told &told, ToldKind kind, qint64 aheadMs = 0);
    // A cause that keeps one audiogroup from its samples: logged whenever it is seen (the
    // log writes its repeats at most once a minute), and once when it ends.
    void beginAgCause(const QString &name, AgWatch &watch, AgCause cause, const QString &text);
    void endAgCause(const QString &name, AgWatch &watch);
    // The same for the meter as a whole: a request that failed, or the meter answering.
    void noteRequestFailed(int networkError, int httpStatus);
    void noteMeterAnswered();
    QString meterAddress() const;
    // The stop cause the audiogroup's light shows: the meter's, else its own.
    void publishCause(const QString &name);
    void publishCauses();

    int m_requestCounter = 0;
    bool m_acquisitionActive = false;
    int m_state = StateStart;
    std::array<LastCode, StageCount> m_lastCodes{};
    // The other name a renamed meter reports, logged once per name.
    QString m_renameLogged;
    // The configuration refusal last logged.
    QString m_refusedLogged;
    std::atomic<bool> m_hijackPermissionRequested{false};
    std::atomic<int> m_hijackAnswer{HijackNoAnswer};
    QString m_session = QStringLiteral("unknown");
    bool m_hijackMode = false;
    QString m_hijackId = QStringLiteral("unknown");
    qint64 m_lastDataRequestTime = kNever;
    // A GETDATA was posted and its reply (or failure) not yet read here.
    bool m_dataReplyDue = false;
    qint64 m_lastLoginRequestTime = kNever;
    qint64 m_lastConfigRequestTime = kNever;
    // The configuration's AcquisitionTimeout and when it was read: a copy of the whole
    // configuration on every 10 ms step would cost more than all the rest.
    int m_acquisitionTimeoutMs = 2000;
    ConfigRevisionWatch m_acquisitionTimeoutWatch;
    AcquisitionAgManager m_agManager;
    QMap<QString, qint64> m_timestampRequestTimes;
    bool m_acquisitionFlag = false;
    InstrumentConfig m_instrumentConfig;
    // Per audiogroup, the newest sample of a batch posted and not yet acknowledged, and
    // when it was posted. A time stamp older than it was read before the batch was
    // stored: asking from there would fetch the batch again.
    struct PendingBatch
    {
        qint64 newest;
        qint64 postedAt;
    };
    QMap<QString, PendingBatch> m_pendingBatches;
    // Per audiogroup, what it was sent that is told, and its stop cause.
    QMap<QString, AgWatch> m_watches;
    // The audiogroups asked in the GETDATA in flight, and the stamp each was asked after.
    QMap<QString, qint64> m_asked;
    // Why the meter is not reached, as logged; empty while it answers.
    QString m_linkCause;
    qint64 m_linkCauseSince = 0;
    // Store results still to come for the batches of the latest data reply.
    std::atomic<int> m_storeResultsOwed{0};
    int m_networkInterfaceType = 1;
    ADeviceNetworkInterface *m_networkInterface = nullptr;
};

// Device type 1 (HTTP) with its network interface; null for another type or a failed init.
Device *createDevice(int networkInterfaceType, bool acquisitionFlag,
                     const InstrumentConfig &config);
