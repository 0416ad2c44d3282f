#include "Device.h"

#include "AAudioGroup.h"
#include "AcquisitionRequest.h"
#include "AcquisitionResponse.h"
#include "AcquisitionTimecodeCommandParameter.h"
#include "DeviceNetworkInterfaceReply.h"
#include "GetConfigRequest.h"
#include "GetConfigResponse.h"
#include "HttpDeviceNetworkInterface.h"
#include "InstrumentManager.h"
#include "LoginRequest.h"
#include "LoginResponse.h"

#include "config/SystemConfig.h"
#include "core/ASystem.h"
#include "core/Command.h"
#include "data/AgDataVector.h"
#include "data/AgStoreResult.h"

#include <KivUtils.h>

#include <ORQLogging.h>

#include <QDateTime>
#include <QNetworkReply>

#include <algorithm>
#include <array>
#include <memory>

namespace {

constexpr int kErrorNoInterface = 0x40200001;

// What a stage does with the status code of its last reply.
enum StageAction { Send, LogAndSend, Wait, ToLogin, ToData, ToConfig };

// The stage table, one row a code; the columns are the login, data and configuration stages.
// Send is the stage's paced request (LOGIN, GETDATA, GETCONFIG); a code without a row is
// logged as unknown and the stage sends.
struct StageRow
{
    int code;
    StageAction login, data, config;
};
// clang-format off
constexpr StageRow kStageTable[] = {
    // code  login       data        configuration
    {-1,     Send,       Send,       Send},       // no reply of this kind yet
    { 0,     ToData,     Send,       ToLogin},
    { 1,     LogAndSend, LogAndSend, LogAndSend},
    { 2,     ToConfig,   ToConfig,   Send},
    { 3,     Send,       Send,       Send},
    { 4,     Send,       Send,       Send},
    { 5,     Send,       Send,       Send},
    { 6,     Wait,       Wait,       Wait},
    { 7,     Send,       ToLogin,    Wait},
    { 8,     Send,       ToLogin,    Wait},
    { 9,     Send,       ToLogin,    Wait},
};
// clang-format on

// stage: 0 login, 1 data, 2 configuration.
StageAction stageAction(int stage, int code)
{
    for (const StageRow &row : kStageTable)
        if (row.code == code)
            return stage == 0 ? row.login : stage == 1 ? row.data : row.config;
    return LogAndSend;
}

InstrumentManager *instrumentManager()
{
    ASystem *system = ASystem::instance();
    return system ? system->getInstrumentManager() : nullptr;
}

AAudioGroup *findAudioGroup(const QString &instrumentName, const QString &agName)
{
    InstrumentManager *manager = instrumentManager();
    return manager ? manager->findAudioGroup(instrumentName, agName) : nullptr;
}

} // namespace

Device::Device() = default;

Device::~Device()
{
    delete m_networkInterface;
}

int Device::init(bool acquisitionFlag, const InstrumentConfig &config, int interfaceType,
                 ADeviceNetworkInterface *networkInterface)
{
    if (!networkInterface)
        return kErrorNoInterface;
    updateConfig(acquisitionFlag, config);
    m_networkInterfaceType = interfaceType;
    if (m_networkInterface != networkInterface)
        delete m_networkInterface;
    m_networkInterface = networkInterface;
    return 0;
}

void Device::updateConfig(bool acquisitionFlag, const InstrumentConfig &config)
{
    m_acquisitionFlag = acquisitionFlag;
    m_instrumentConfig = config;
    bool logging = false;
    // An address or port refused at load was replaced by a guess: the meter is not asked
    // there, the row says why.
    const QString refused = config.getRefusedAtLoad();
    if (!refused.isEmpty() && refused != m_refusedLogged)
        KIV_LOG(2, "Device[%s] not logging: %s\n", qUtf8Printable(getName()),
                qUtf8Printable(refused));
    m_refusedLogged = refused;
    if (acquisitionFlag && refused.isEmpty()) {
        const QList<AgConfig> agConfigs = config.getAgConfigs();
        for (const AgConfig &agConfig : agConfigs) {
            if (!agConfig.getImported() && agConfig.getHasLoggingEnabled()) {
                logging = true;
                break;
            }
        }
    }
    m_acquisitionActive = logging;
    m_agManager.update(acquisitionFlag, config);
}

qint64 Device::nowMs() const
{
    return monotonicMSecs();
}

qint64 Device::utcNowMs() const
{
    return currentUtcMSecs();
}

bool Device::elapsed(qint64 last, qint64 intervalMs) const
{
    return last == kNever || nowMs() - last > intervalMs;
}

qint64 Device::msUntilElapsed(qint64 last, qint64 intervalMs) const
{
    return last == kNever ? 0 : std::max<qint64>(0, last + intervalMs + 1 - nowMs());
}

namespace {

qint64 sooner(qint64 a, qint64 b)
{
    return a < 0 ? b : b < 0 ? a : std::min(a, b);
}

} // namespace

qint64 Device::msUntilNextStep() const
{
    if (m_hijackAnswer.load() != HijackNoAnswer)
        return 0;
    if (!m_acquisitionActive || m_hijackPermissionRequested.load())
        return -1;
    switch (m_state) {
    case StateStart:
        return 0;
    case StateLogin:
        return msUntilStageWork(StageLogin);
    case StateData:
        return msUntilStageWork(StageData);
    case StateConfig:
        return msUntilStageWork(StageConfig);
    default:
        return -1;
    }
}

qint64 Device::msUntilStageWork(Stage stage) const
{
    const LastCode &last = m_lastCodes[stage];
    switch (stageAction(stage, last.code)) {
    case LogAndSend:
        if (last.fresh)
            return 0;
        Q_FALLTHROUGH();
    case Send:
        switch (stage) {
        case StageLogin:
            return msUntilElapsed(m_lastLoginRequestTime, kLoginPacingMs);
        case StageData:
            return msUntilDataWork();
        case StageConfig:
        case StageCount:
            return msUntilElapsed(m_lastConfigRequestTime, kLoginPacingMs);
        }
        return 0;
    case Wait:
        return -1;
    case ToLogin:
    case ToData:
    case ToConfig:
        return 0;
    }
    return 0;
}

qint64 Device::msUntilDataWork() const
{
    qint64 due = -1;
    // The audiogroups' own answers make more of them ready; until then no request.
    if (m_agManager.hasReadyAudioGroups()) {
        due = msUntilElapsed(m_lastDataRequestTime, m_acquisitionTimeoutMs);
        // A request still in flight keeps the next one back until its reply or time-out.
        if (m_networkInterface)
            due = std::max(due, m_networkInterface->msUntilReady());
    }
    const qint64 replyDue = msWhileDataReplyDue();
    const QStringList waiting = m_agManager.getWaitingAudioGroups();
    for (const QString &name : waiting) {
        if (isAwaitingStoreResult(name)) {
            // Its store result makes it ready; should it not come, the audiogroup is
            // asked once the batch has expired. Results queued without waking this
            // thread are read when the next request is due at the latest.
            due = sooner(due, msUntilElapsed(m_pendingBatches.value(name).postedAt,
                                             kPendingBatchExpiryMs - 1));
            const qint64 requestDue =
                msUntilElapsed(m_lastDataRequestTime, m_acquisitionTimeoutMs);
            if (requestDue > 0)
                due = sooner(due, requestDue);
            continue;
        }
        AAudioGroup *audioGroup = findAudioGroup(getName(), name);
        if (!audioGroup || !audioGroup->isLogging())
            continue;
        auto it = m_timestampRequestTimes.constFind(name);
        const qint64 ask = it == m_timestampRequestTimes.constEnd()
                               ? 0
                               : std::max<qint64>(0, it.value() + kTimestampPacingMs - nowMs());
        due = sooner(due, std::max(ask, replyDue));
    }
    return due;
}

void Device::allowHijackRequest()
{
    m_hijackAnswer.store(HijackAllowed);
}

void Device::resetHijackRequest()
{
    m_hijackAnswer.store(HijackReset);
}

void Device::applyHijackAnswer()
{
    const int answer = m_hijackAnswer.exchange(HijackNoAnswer);
    if (answer == HijackNoAnswer)
        return;
    if (answer == HijackReset)
        forgetHijack();
    m_hijackPermissionRequested.store(false);
}

void Device::forgetHijack()
{
    // Without the user's yes the meter is never taken over: the stored 7 would make the
    // login stage send a hijacking LOGIN.
    m_hijackMode = false;
    m_hijackId = QString();
    m_lastCodes[StageLogin] = LastCode();
}

void Device::step()
{
    applyHijackAnswer();
    if (!m_acquisitionActive) {
        m_hijackMode = false;
        m_hijackId = QString();
        return;
    }
    if (m_hijackPermissionRequested.load())
        return;
    switch (m_state) {
    case StateStart:
        setState(StateLogin);
        break;
    case StateLogin:
        runStage(StageLogin);
        break;
    case StateData:
        runStage(StageData);
        break;
    case StateConfig:
        runStage(StageConfig);
        break;
    default:
        KIV_LOG(1, "Device[%s] state unknown\n", qUtf8Printable(getName()));
        break;
    }
}

void Device::setState(int state)
{
    if (state == StateData)
        m_agManager.markConnected();
    KIV_LOG(4, "Device[%s] state: %d -> %d\n", qUtf8Printable(getName()), m_state, state);
    m_lastCodes.fill(LastCode());
    m_state = state;
}

void Device::setLastCode(Stage stage, int code)
{
    m_lastCodes[stage] = LastCode{code, true};
}

void Device::runStage(Stage stage)
{
    LastCode &last = m_lastCodes[stage];
    switch (stageAction(stage, last.code)) {
    case LogAndSend:
        // Once per reply that brought the code, not at every step it stays.
        if (last.fresh)
            KIV_LOG(1, "Device[%s] unknown error code %d\n", qUtf8Printable(getName()), last.code);
        last.fresh = false;
        sendStageRequest(stage);
        break;
    case Send:
        sendStageRequest(stage);
        break;
    case Wait:
        break;
    case ToLogin:
        setState(StateLogin);
        break;
    case ToData:
        setState(StateData);
        break;
    case ToConfig:
        setState(StateConfig);
        break;
    }
}

void Device::sendStageRequest(Stage stage)
{
    switch (stage) {
    case StageLogin:
        sendLogin();
        break;
    case StageData:
        pollData();
        break;
    case StageConfig:
    case StageCount:
        sendGetConfig();
        break;
    }
}

void Device::sendLogin()
{
    sendPaced(ARequest::LOGIN, m_lastLoginRequestTime);
}

void Device::sendGetConfig()
{
    sendPaced(ARequest::GETCONFIG, m_lastConfigRequestTime);
}

void Device::sendPaced(int kind, qint64 &lastRequestTime)
{
    if (!elapsed(lastRequestTime, kLoginPacingMs))
        return;
    std::unique_ptr<ARequest> request(createRequest(kind));
    if (!request)
        return;
    if (m_networkInterface)
        m_networkInterface->send(request->getCommandType(), *request, m_instrumentConfig.getIpAdr(),
                                 m_instrumentConfig.getPort());
    lastRequestTime = nowMs();
}

int Device::acquisitionTimeoutMs()
{
    if (m_acquisitionTimeoutWatch.needsRead(nowMs(), kSettingsRefreshMs)) {
        ASystem *system = ASystem::instance();
        m_acquisitionTimeoutMs = system ? system->getSystemConfig().getAcquisitionTimeout()
                                        : SystemConfig().getAcquisitionTimeout();
    }
    return m_acquisitionTimeoutMs;
}

void Device::pollData()
{
    if (!m_acquisitionActive)
        return;
    if (elapsed(m_lastDataRequestTime, acquisitionTimeoutMs())) {
        m_agManager.sync();
        if (m_agManager.hasReadyAudioGroups()) {
            std::unique_ptr<ARequest> request(createRequest(ARequest::GETDATA));
            if (request && m_networkInterface) {
                const bool sent = m_networkInterface->send(ARequest::GETDATA, *request,
                                                           m_instrumentConfig.getIpAdr(),
                                                           m_instrumentConfig.getPort());
                if (sent) {
                    m_agManager.invalidateTimestamps();
                    m_lastDataRequestTime = nowMs();
                    m_dataReplyDue = true;
                    m_asked.clear();
                    const QMap<QString, QString> asked =
                        static_cast<const AcquisitionRequest &>(*request).getLastTimestamps();
                    for (auto it = asked.cbegin(); it != asked.cend(); ++it)
                        m_asked.insert(it.key(), it.value().toLongLong());
                }
            }
        }
    }
    // Asked as soon as they are wanted, not when the next request is due: an audiogroup
    // answering a moment after the others would otherwise be left out of that request.
    // Not while the data reply is due: it makes them wait again, so an answer now would be
    // thrown away after a round trip through two threads per audiogroup.
    if (msWhileDataReplyDue() == 0)
        requestTimestamps();
}

qint64 Device::msWhileDataReplyDue() const
{
    if (!m_dataReplyDue)
        return 0;
    // In flight, or handed over and still on its way to this thread; a reply that never
    // comes holds nothing back after the grace or the request's time-out.
    const qint64 inFlight = m_networkInterface ? m_networkInterface->msUntilReady() : 0;
    return std::max(inFlight, msUntilElapsed(m_lastDataRequestTime, kReplyRoutingGraceMs));
}

bool Device::isAwaitingStoreResult(const QString &name) const
{
    auto pending = m_pendingBatches.constFind(name);
    return pending != m_pendingBatches.constEnd() &&
           nowMs() - pending->postedAt < kPendingBatchExpiryMs;
}

void Device::requestTimestamps()
{
    const QStringList waiting = m_agManager.getWaitingAudioGroups();
    for (const QString &name : waiting) {
        if (isAwaitingStoreResult(name))
            continue;
        AAudioGroup *audioGroup = findAudioGroup(getName(), name);
        if (!audioGroup || !audioGroup->isLogging())
            continue;
        auto it = m_timestampRequestTimes.constFind(name);
        if (it != m_timestampRequestTimes.constEnd() && nowMs() - it.value() < kTimestampPacingMs)
            continue;
        audioGroup->requestTimestamp(getName());
        m_timestampRequestTimes.insert(name, nowMs());
    }
}

ARequest *Device::createRequest(int kind)
{
    const QString reqid = QString::number(m_requestCounter);
    ARequest *request = nullptr;
    switch (kind) {
    case ARequest::LOGIN: {
        auto *login = new LoginRequest(reqid, ARequest::LOGIN);
        login->setLoginData(m_instrumentConfig.getPass(), m_hijackMode, m_hijackId);
        request = login;
        break;
    }
    case ARequest::GETCONFIG: {
        auto *getConfig = new GetConfigRequest(reqid, ARequest::GETCONFIG);
        getConfig->setCredentials(m_instrumentConfig.getPass(), m_session);
        request = getConfig;
        break;
    }
    case ARequest::GETDATA: {
        auto *getData = new AcquisitionRequest(reqid, ARequest::GETDATA);
        getData->setRequestData(m_instrumentConfig.getConfigurationID(), m_session,
                                m_agManager.getLastTimestamps());
        request = getData;
        break;
    }
    default:
        return nullptr;
    }
    m_requestCounter = (m_requestCounter + 1) % kRequestIdWrap;
    return request;
}

int Device::onRawDataReceived(Command *command)
{
    auto *reply = command ? command->parameterAs<DeviceNetworkInterfaceReply>() : nullptr;
    if (!reply)
        return -1;
    if (reply->getRequestId() == ARequest::GETDATA)
        m_dataReplyDue = false;
    const int httpStatus = reply->getHttpStatus();
    if (reply->getNetworkError() != 0 || (httpStatus != 0 && httpStatus != 200)) {
        noteRequestFailed(reply->getNetworkError(), httpStatus);
        return 0;
    }
    noteMeterAnswered();
    auto text = [reply] { return reply->getReplyData() ? *reply->getReplyData() : QString(); };
    switch (reply->getRequestId()) {
    case ARequest::LOGIN:
        handleLoginResponse(text());
        break;
    case ARequest::GETCONFIG:
        handleGetConfigResponse(text());
        break;
    case ARequest::GETDATA:
        handleAcquisitionResponse(*reply);
        break;
    default:
        KIV_LOG(1, "Device[%s]onRawDataReceived: Unknown command %d\n", qUtf8Printable(getName()),
                reply->getRequestId());
        break;
    }
    return 0;
}

namespace {

// The reply's code; an invalid reply never counts as a success.
int effectiveCode(const AResponse &response)
{
    const int code = response.getCode();
    return (code == 0 && !response.isValid()) ? -1 : code;
}

} // namespace

void Device::handleLoginResponse(const QString &body)
{
    LoginResponse response;
    response.parseReply(body);
    const int code = response.getCode();
    setLastCode(StageLogin, effectiveCode(response));
    switch (code) {
    case 0:
        if (!response.isValid())
            break;
        m_session = response.getSession();
        m_hijackMode = false;
        m_hijackId = QString();
        return;
    case 7: {
        if (!response.isValid())
            break;
        m_session = QString();
        m_hijackMode = true;
        m_hijackId = response.getSession();
        if (m_hijackPermissionRequested.load())
            return;
        ASystem *system = ASystem::instance();
        if (system && system->requestHijackPermission(getName()) == 0)
            m_hijackPermissionRequested.store(true);
        else
            forgetHijack(); // the user could not be asked: no take-over
        return;
    }
    case 9:
        m_session = QString();
        m_hijackId = QString();
        m_hijackMode = false;
        return;
    default:
        return;
    }
    KIV_LOG(2, "Device[%s]handleLoginResponse: invalid response\n", qUtf8Printable(getName()));
}

void Device::handleGetConfigResponse(const QString &body)
{
    GetConfigResponse response;
    response.parseReply(body);
    setLastCode(StageConfig, effectiveCode(response));
    if (response.getCode() != 0)
        return;
    if (!response.isValid()) {
        KIV_LOG(2, "Device[%s]handleGetConfigResponse: invalid response\n",
                qUtf8Printable(getName()));
        return;
    }
    // The configuration is keyed by the meter's name: a meter renamed on the device matches
    // no configured instrument, and its change would be dropped without a word.
    const QString reported = response.getInstrumentConfig().getName();
    if (reported != getName()) {
        if (m_renameLogged != reported) {
            m_renameLogged = reported;
            KIV_LOG(2,
                    "Device[%s] the meter now calls itself \"%s\"; its configuration is not "
                    "taken and no data is fetched until it is added again under that name\n",
                    qUtf8Printable(getName()), qUtf8Printable(reported));
        }
        return;
    }
    if (ASystem *system = ASystem::instance())
        system->changeInstrumentConfig(response.getInstrumentConfig());
}

void Device::handleAcquisitionResponse(const DeviceNetworkInterfaceReply &reply)
{
    AcquisitionResponse response;
    // The bytes as received are read without being decoded.
    if (const QByteArray *bytes = reply.getReplyBytes())
        response.parseReplyBytes(*bytes);
    else
        response.parseReply(reply.getReplyData() ? *reply.getReplyData() : QString());
    const int code = effectiveCode(response);
    setLastCode(StageData, code);
    if (response.getCode() != 0) {
        m_agManager.onDataReplyFailed(code);
        return;
    }
    if (!response.isValid()) {
        KIV_LOG(2, "Device[%s]handleAcquisitionResponse: invalid response\n",
                qUtf8Printable(getName()));
        return;
    }
    dispatchData(response);
}

void Device::dispatchData(AcquisitionResponse &response)
{
    const QStringList names = response.getAgDataLists().keys();
    QList<QPair<QString, AAudioGroup *>> targets;
    for (const QString &name : names) {
        AAudioGroup *audioGroup = findAudioGroup(getName(), name);
        if (audioGroup && audioGroup->isLogging())
            targets.append({name, audioGroup});
    }
    // Asked for and left out of the reply: the audiogroup gets nothing.
    for (auto it = m_asked.cbegin(); it != m_asked.cend(); ++it) {
        if (response.getAgDataLists().contains(it.key()))
            continue;
        AAudioGroup *audioGroup = findAudioGroup(getName(), it.key());
        if (audioGroup && audioGroup->isLogging())
            beginAgCause(it.key(), m_watches[it.key()], AgCauseMissing,
                         QStringLiteral("missing from the meter's replies"));
    }
    const QMap<QString, int> available = response.getAvailableCounts();
    // Counted before the first post: a quick audiogroup answers before the loop ends.
    m_storeResultsOwed.store(targets.size());
    for (const auto &target : qAsConst(targets)) {
        const QString &name = target.first;
        AgDataVector *batch = response.takeAgDataList(name);
        const qint64 newest =
            inspectBatch(name, m_asked.value(name, -1), available.value(name), *batch);
        if (target.second->postSamples(getName(), batch) == 0)
            m_pendingBatches.insert(name, PendingBatch{newest, nowMs()});
        else
            m_storeResultsOwed.fetch_sub(1);
        m_agManager.onDataReplied(name, 0);
    }
    m_asked.clear();
    // Each audiogroup answers its next time stamp only after storing this batch.
    m_agManager.invalidateTimestamps();
}

namespace {

QString stampText(qint64 stamp)
{
    return QDateTime::fromMSecsSinceEpoch(stamp, Qt::UTC).toString(Qt::ISODateWithMs);
}

} // namespace

void Device::Told::add(qint64 stamp)
{
    from = count == 0 ? stamp : std::min(from, stamp);
    to = count == 0 ? stamp : std::max(to, stamp);
    ++count;
}

qint64 Device::inspectBatch(const QString &name, qint64 asked, int available, AgDataVector &batch)
{
    AgWatch &watch = m_watches[name];
    if (watch.cause == AgCauseMissing)
        endAgCause(name, watch);
    const qint64 utcNow = utcNowMs();
    const qint64 futureLimit = utcNow + kFutureLimitMs;
    const qint64 aheadLimit = utcNow + kClockToleranceMs;
    int refused = 0;
    int freshFuture = 0;
    qint64 newestFuture = 0;
    int freshOld = 0;
    qint64 oldFrom = 0;
    qint64 oldTo = 0;
    int old = 0;
    qint64 newest = -1;
    // Gaps among the samples newer than the one asked after, in the order sent.
    struct Gap
    {
        qint64 from, to;
    };
    constexpr int kMaxGapsTold = 4;
    std::array<Gap, kMaxGapsTold> gaps{};
    int gapCount = 0;
    qint64 previous = asked > 0 ? asked : -1;
    qint64 interval = -1;
    bool hasNew = false;
    for (const AgData &sample : batch) {
        const qint64 stamp = sample.getTimestamp();
        if (stamp > futureLimit) {
            ++refused;
            if (watch.futureRuns.add(stamp)) {
                ++freshFuture;
                newestFuture = std::max(newestFuture, stamp);
                watch.future.add(stamp);
            }
            continue;
        }
        newest = std::max(newest, stamp);
        if (stamp > aheadLimit)
            watch.ahead.add(stamp);
        if (asked >= 0 && stamp < asked) {
            // The store keeps only samples newer than its newest, which was asked after.
            ++old;
            if (watch.oldRuns.add(stamp)) {
                oldFrom = freshOld == 0 ? stamp : std::min(oldFrom, stamp);
                oldTo = freshOld == 0 ? stamp : std::max(oldTo, stamp);
                ++freshOld;
                watch.old.add(stamp);
            }
            continue;
        }
        if (asked >= 0 && stamp == asked)
            continue; // the newest stored sample, sent again
        hasNew = true;
        if (previous >= 0 && stamp > previous) {
            const qint64 step = stamp - previous;
            if (step > kGapToleranceMs) {
                if (gapCount < kMaxGapsTold)
                    gaps[gapCount] = Gap{previous, stamp};
                ++gapCount;
            } else {
                interval = interval < 0 ? step : std::min(interval, step);
            }
        }
        previous = std::max(previous, stamp);
    }
    if (refused > 0) {
        AgDataVector kept(batch.getName(), batch.getZoomLevel());
        kept.reserve(batch.size() - refused);
        for (const AgData &sample : batch)
            if (sample.getTimestamp() <= futureLimit)
                kept.append(sample);
        batch = std::move(kept);
    }
    if (freshFuture > 0)
        m_agManager.onFutureSamples(name, freshFuture, newestFuture);
    if (freshOld > 0)
        m_agManager.onOldSamples(name, freshOld, oldFrom, oldTo);
    if (newest >= 0) {
        const qint64 aheadMs = newest - utcNow;
        if (aheadMs > kClockToleranceMs)
            watch.aheadMs = std::max(watch.aheadMs, aheadMs);
        m_agManager.setClockAheadMs(name, aheadMs > kClockToleranceMs ? aheadMs : 0);
    }
    if (interval <= 0)
        interval = kSampleIntervalMs;
    for (int i = 0; i < std::min(gapCount, kMaxGapsTold); ++i) {
        const qint64 span = gaps[i].to - gaps[i].from - interval;
        const qint64 missing = span / interval;
        m_agManager.setLastGap(name, gaps[i].from, gaps[i].to, missing);
        KIV_LOG(2,
                "Device[%s] audiogroup %s: a gap of %.1f s in the meter's samples, after %s and "
                "before %s: %lld samples missing%s\n",
                qUtf8Printable(getName()), qUtf8Printable(name), span / 1000.0,
                qUtf8Printable(stampText(gaps[i].from)), qUtf8Printable(stampText(gaps[i].to)),
                static_cast<long long>(missing),
                gaps[i].to > aheadLimit ? " (the meter's clock runs ahead)" : "");
    }
    if (gapCount > kMaxGapsTold)
        KIV_LOG(2, "Device[%s] audiogroup %s: %d more gaps in one reply\n",
                qUtf8Printable(getName()), qUtf8Printable(name), gapCount - kMaxGapsTold);
    tellSamples(name, watch.future, ToldFuture);
    tellSamples(name, watch.old, ToldOld);
    tellSamples(name, watch.ahead, ToldAhead, watch.aheadMs);
    if (watch.ahead.count == 0)
        watch.aheadMs = 0;

    // A meter that answers and brings nothing new for a while.
    const qint64 now = nowMs();
    if (hasNew) {
        watch.lastNewSampleAt = now;
        if (watch.cause == AgCauseNoNewSample)
            endAgCause(name, watch);
    } else if (asked >= 0) {
        if (watch.lastNewSampleAt == kNever)
            watch.lastNewSampleAt = now;
        else if (now - watch.lastNewSampleAt >= kNoNewSampleMs) {
            QString text = QStringLiteral("no new sample for %1 s although the meter answers")
                               .arg(kNoNewSampleMs / 1000);
            if (available > 0 || old > 0 || asked > aheadLimit) {
                text += QStringLiteral("; the meter's clock is likely behind the newest "
                                       "stored sample, %1")
                            .arg(stampText(asked));
                // What was seen of its clock running ahead no longer holds.
                m_agManager.setClockAheadMs(name, 0);
            }
            beginAgCause(name, watch, AgCauseNoNewSample, text);
        }
    }
    return newest;
}

void Device::tellSamples(const QString &name, Told &told, ToldKind kind, qint64 aheadMs)
{
    if (told.count == 0 || !elapsed(told.loggedAt, kFutureLogPacingMs))
        return;
    const QByteArray from = stampText(told.from).toUtf8();
    const QByteArray to = stampText(told.to).toUtf8();
    switch (kind) {
    case ToldFuture:
        KIV_LOG(2,
                "Device[%s] audiogroup %s: %d samples stamped more than %lld minutes ahead of "
                "this computer's clock not stored, stamped %s to %s; the newest %s (%lld)\n",
                qUtf8Printable(getName()), qUtf8Printable(name), told.count,
                static_cast<long long>(kFutureLimitMs / 60000), from.constData(), to.constData(),
                to.constData(), static_cast<long long>(told.to));
        break;
    case ToldOld:
        KIV_LOG(2,
                "Device[%s] audiogroup %s: %d samples not stored, stamped %s to %s: not after "
                "the newest stored sample\n",
                qUtf8Printable(getName()), qUtf8Printable(name), told.count, from.constData(),
                to.constData());
        break;
    case ToldAhead:
        KIV_LOG(3,
                "Device[%s] audiogroup %s: %d samples stamped %s to %s, ahead of this "
                "computer's clock, stored as sent: the meter's clock runs about %lld s ahead\n",
                qUtf8Printable(getName()), qUtf8Printable(name), told.count, from.constData(),
                to.constData(), static_cast<long long>((aheadMs + 500) / 1000));
        break;
    }
    told.count = 0;
    told.loggedAt = nowMs();
}

void Device::beginAgCause(const QString &name, AgWatch &watch, AgCause cause,
                          const QString &text)
{
    if (watch.cause != cause || watch.causeText != text) {
        if (watch.cause == AgCauseNone)
            watch.causeSince = nowMs();
        watch.cause = cause;
        watch.causeText = text;
        publishCause(name);
    }
    KIV_LOG(2, "Device[%s] audiogroup %s: %s\n", qUtf8Printable(getName()), qUtf8Printable(name),
            qUtf8Printable(text));
}

void Device::endAgCause(const QString &name, AgWatch &watch)
{
    if (watch.cause == AgCauseNone)
        return;
    KIV_LOG(4, "Device[%s] audiogroup %s: samples come again, %lld s after: %s\n",
            qUtf8Printable(getName()), qUtf8Printable(name),
            static_cast<long long>((nowMs() - watch.causeSince) / 1000),
            qUtf8Printable(watch.causeText));
    watch.cause = AgCauseNone;
    watch.causeText.clear();
    watch.lastNewSampleAt = nowMs();
    publishCause(name);
}

QString Device::meterAddress() const
{
    return QStringLiteral("%1:%2").arg(m_instrumentConfig.getIpAdr().trimmed(),
                                       m_instrumentConfig.getPort().trimmed());
}

void Device::noteRequestFailed(int networkError, int httpStatus)
{
    QString cause;
    if (httpStatus != 0 && httpStatus != 200)
        cause = QStringLiteral("the meter at %1 answers HTTP %2 instead of 200")
                    .arg(meterAddress())
                    .arg(httpStatus);
    else if (networkError == QNetworkReply::ConnectionRefusedError)
        cause = QStringLiteral("the meter at %1 refuses the connection (nothing listens there)")
                    .arg(meterAddress());
    else if (networkError == QNetworkReply::HostNotFoundError)
        cause = QStringLiteral("the meter's address %1 is not found (host not found)")
                    .arg(meterAddress());
    else if (networkError == QNetworkReply::RemoteHostClosedError)
        cause = QStringLiteral("the meter at %1 closes the connection without an answer")
                    .arg(meterAddress());
    else
        cause = QStringLiteral("the request to the meter at %1 fails (network error %2)")
                    .arg(meterAddress())
                    .arg(networkError);
    if (m_linkCause.isEmpty()) {
        m_linkCauseSince = nowMs();
        m_agManager.setUnreachable(true);
    }
    if (cause != m_linkCause) {
        m_linkCause = cause;
        publishCauses();
    }
    KIV_LOG(2, "Device[%s] no samples: %s\n", qUtf8Printable(getName()), qUtf8Printable(cause));
}

void Device::noteMeterAnswered()
{
    if (m_linkCause.isEmpty())
        return;
    KIV_LOG(4, "Device[%s] the meter answers again, %lld s after: %s\n", qUtf8Printable(getName()),
            static_cast<long long>((nowMs() - m_linkCauseSince) / 1000),
            qUtf8Printable(m_linkCause));
    m_linkCause.clear();
    m_agManager.setUnreachable(false);
    // An audiogroup's wait for new samples begins again with the answers.
    for (AgWatch &watch : m_watches)
        if (watch.lastNewSampleAt != kNever)
            watch.lastNewSampleAt = nowMs();
    publishCauses();
}

void Device::publishCause(const QString &name)
{
    auto watch = m_watches.constFind(name);
    const QString own = watch != m_watches.constEnd() ? watch->causeText : QString();
    m_agManager.setStopCause(name, m_linkCause.isEmpty() ? own : m_linkCause);
}

void Device::publishCauses()
{
    const QList<AgConfig> agConfigs = m_instrumentConfig.getAgConfigs();
    for (const AgConfig &agConfig : agConfigs)
        publishCause(agConfig.getName());
}

int Device::onTimestampReply(AgCommandReply *reply)
{
    if (!reply)
        return -1;
    AgTimestamp timestamp;
    if (auto *parameter = reply->parameterAs<AcquisitionTimecodeCommandParameter>())
        timestamp = parameter->getTimestamp();
    // An answer read before the batch just posted was stored; the fresh one follows.
    auto pending = m_pendingBatches.constFind(reply->getAgName());
    if (pending != m_pendingBatches.constEnd() && reply->getValue() == 0 && timestamp.isValid() &&
        timestamp.getTimestamp() < pending->newest &&
        nowMs() - pending->postedAt < kPendingBatchExpiryMs)
        return 0;
    m_agManager.setTimestamp(reply->getAgName(), reply->getValue(), timestamp);
    return 0;
}

int Device::onStoreResult(AgCommandReply *reply)
{
    if (!reply)
        return -1;
    m_pendingBatches.remove(reply->getAgName());
    const auto *parameter = reply->parameterAs<AcquisitionTimecodeCommandParameter>();
    const int code = reply->getValue();
    int stored = parameter ? parameter->getStoredSamples() : -1;
    if (stored < 0)
        stored = (code == 0 || code == kStoreGapCode) ? 1 : 0;
    m_agManager.onStoreResult(reply->getAgName(), code, stored);
    // The newest stored sample after the batch: what a time stamp request would answer
    // now, so the audiogroup is ready without one. Without it, it is asked as before.
    if (parameter && parameter->getTimestamp().isValid())
        m_agManager.setTimestamp(reply->getAgName(), 0, parameter->getTimestamp());
    return 0;
}

void Device::onResumed()
{
    m_pendingBatches.clear();
    m_storeResultsOwed.store(0);
}

void Device::resetAcquisitionStatus()
{
    m_agManager.resetStatus();
}

QList<AcquisitionAg> Device::getAcquisitionStatus() const
{
    return m_agManager.getStatusList();
}

Device *createDevice(int networkInterfaceType, bool acquisitionFlag, const InstrumentConfig &config)
{
    if (networkInterfaceType != 1)
        return nullptr;
    auto *device = new Device();
    auto *networkInterface = new HttpDeviceNetworkInterface(config.getName());
    if (device->init(acquisitionFlag, config, 1, networkInterface) != 0) {
        delete networkInterface;
        delete device;
        return nullptr;
    }
    return device;
}
