#include "AcquisitionAg.h"

#include <AgStoreResult.h>
#include <KivUtils.h>

#include <algorithm>

namespace {

// A success after a failure marks the state as recovered; 0 and 1 stay.
int afterSuccess(int state)
{
    return state == AcquisitionAg::StateFailed ? AcquisitionAg::StateRecovered : state;
}

} // namespace

AcquisitionAg::AcquisitionAg() : AcquisitionAg(InstrumentConfig(), AgConfig()) {}

AcquisitionAg::AcquisitionAg(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig)
    : m_instrumentConfig(instrumentConfig), m_agConfig(agConfig)
{
    const qint64 now = monotonicMSecs();
    m_connectionStartTime = now;
    m_lastReplyTime = now;
    m_lastDataTime = now;
}

AcquisitionAg::~AcquisitionAg() = default;

void AcquisitionAg::setTimestamp(int code, const AgTimestamp &timestamp)
{
    if (code != 0) {
        m_lastTimestamp.invalidate();
        m_timestampState = StateFailed;
        return;
    }
    m_lastTimestamp = timestamp;
    m_connected = true;
    m_timestampState = afterSuccess(m_timestampState);
}

void AcquisitionAg::setReplyResult(int code)
{
    if (code != 0) {
        m_replyError = code;
        m_replyState = StateFailed;
        return;
    }
    m_lastReplyTime = monotonicMSecs();
    m_replyState = afterSuccess(m_replyState);
}

void AcquisitionAg::setStoreResult(int code, int storedSamples)
{
    // Samples that arrive but are not stored (held back behind the newest stored one, a
    // file that cannot be written) are no data: the status light then ages as without any.
    if (storedSamples > 0)
        m_lastDataTime = monotonicMSecs();
    if (code != 0) {
        // The gap code says samples are missing before a batch; it stays until reset.
        if (m_storeError != kStoreGapCode)
            m_storeError = code;
        m_storeState = StateFailed;
        return;
    }
    m_storeState = afterSuccess(m_storeState);
}

void AcquisitionAg::addFutureSamples(int count, qint64 newestTimestamp)
{
    m_futureSamples += count;
    m_lastFutureTimestamp = std::max(m_lastFutureTimestamp, newestTimestamp);
}

void AcquisitionAg::addOldSamples(int count, qint64 from, qint64 to)
{
    m_oldSamples += count;
    m_lastOldFrom = from;
    m_lastOldTo = to;
}

void AcquisitionAg::setLastGap(qint64 from, qint64 to, qint64 missing)
{
    m_lastGapFrom = from;
    m_lastGapTo = to;
    m_lastGapMissing = missing;
}

void AcquisitionAg::setUnreachable(bool unreachable)
{
    if (!unreachable)
        m_unreachableSince = 0;
    else if (m_unreachableSince == 0)
        m_unreachableSince = std::max<qint64>(monotonicMSecs(), 1);
}

bool AcquisitionAg::sameStatus(const AcquisitionAg &other) const
{
    return getInstrumentName() == other.getInstrumentName() &&
           getSourceName() == other.getSourceName() && isImported() == other.isImported() &&
           m_lastTimestamp.isValid() == other.m_lastTimestamp.isValid() &&
           m_lastTimestamp.getTimestamp() == other.m_lastTimestamp.getTimestamp() &&
           m_connected == other.m_connected &&
           m_connectionStartTime == other.m_connectionStartTime &&
           m_replyError == other.m_replyError && m_lastReplyTime == other.m_lastReplyTime &&
           m_storeError == other.m_storeError && m_lastDataTime == other.m_lastDataTime &&
           m_timestampState == other.m_timestampState && m_replyState == other.m_replyState &&
           m_storeState == other.m_storeState && m_futureSamples == other.m_futureSamples &&
           m_lastFutureTimestamp == other.m_lastFutureTimestamp &&
           m_oldSamples == other.m_oldSamples && m_lastOldFrom == other.m_lastOldFrom &&
           m_lastOldTo == other.m_lastOldTo && m_clockAheadMs == other.m_clockAheadMs &&
           m_lastGapFrom == other.m_lastGapFrom && m_lastGapTo == other.m_lastGapTo &&
           m_lastGapMissing == other.m_lastGapMissing && m_stopCause == other.m_stopCause &&
           m_unreachableSince == other.m_unreachableSince;
}

void AcquisitionAg::resetStatus()
{
    m_replyError = 0;
    m_storeError = 0;
    m_timestampState = StateOk;
    m_replyState = StateOk;
    m_storeState = StateOk;
    m_futureSamples = 0;
    m_lastFutureTimestamp = 0;
    m_oldSamples = 0;
    m_lastOldFrom = 0;
    m_lastOldTo = 0;
    m_lastGapFrom = 0;
    m_lastGapTo = 0;
    m_lastGapMissing = 0;
}
