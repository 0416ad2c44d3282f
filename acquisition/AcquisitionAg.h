#pragma once

#include "AgTimestamp.h"

#include <AgConfig.h>
#include <InstrumentConfig.h>

#include <QList>
#include <QMetaType>
#include <QString>

// The acquisition status of one audiogroup of a meter: from which time stamp on it may be
// asked for samples, whether the meter was reached, and how the last data reply and the
// last store went. Copies travel to the main window.
class AcquisitionAg
{
public:
    // Each state: 0 no failure since creation or reset, 2 the last result failed, 1 a
    // failure was followed by a success.
    enum State { StateOk = 0, StateRecovered = 1, StateFailed = 2 };

    AcquisitionAg();
    AcquisitionAg(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig);
    AcquisitionAg(const AcquisitionAg &) = default;
    AcquisitionAg(AcquisitionAg &&) = default;
    AcquisitionAg &operator=(const AcquisitionAg &) = default;
    AcquisitionAg &operator=(AcquisitionAg &&) = default;
    virtual ~AcquisitionAg();

    InstrumentConfig getInstrumentConfig() const { return m_instrumentConfig; }
    AgConfig getAgConfig() const { return m_agConfig; }
    QString getInstrumentName() const { return m_instrumentConfig.getName(); }
    QString getSourceName() const { return m_agConfig.getName(); }
    bool isImported() const { return m_agConfig.getImported(); }

    AgTimestamp getLastTimestamp() const { return m_lastTimestamp; }
    bool hasTimestamp() const { return m_lastTimestamp.isValid(); }
    QString getLastTimestampText() const { return m_lastTimestamp.toString(); }
    bool isConnected() const { return m_connected; }
    // The times below are on monotonicMSecs(): a step of the computer's clock must not turn
    // a light red, nor keep one green after the meter has gone.
    qint64 getConnectionStartTime() const { return m_connectionStartTime; }
    int getReplyError() const { return m_replyError; }
    qint64 getLastReplyTime() const { return m_lastReplyTime; }
    int getStoreError() const { return m_storeError; }
    qint64 getLastDataTime() const { return m_lastDataTime; }
    int getTimestampState() const { return m_timestampState; }
    int getReplyState() const { return m_replyState; }
    int getStoreState() const { return m_storeState; }
    // Samples refused for a time stamp too far ahead of this computer's clock, since
    // creation or the last reset, and the newest such time stamp (0: none).
    qint64 getFutureSamples() const { return m_futureSamples; }
    qint64 getLastFutureTimestamp() const { return m_lastFutureTimestamp; }
    // Samples not stored because they were stamped before the newest stored one, since
    // creation or the last reset, and the stamps of the last of them.
    qint64 getOldSamples() const { return m_oldSamples; }
    qint64 getLastOldFrom() const { return m_lastOldFrom; }
    qint64 getLastOldTo() const { return m_lastOldTo; }
    // How far the meter's newest sample was stamped ahead of this computer's clock, in ms,
    // when that was more than an ordinary clock offset; 0 otherwise.
    qint64 getClockAheadMs() const { return m_clockAheadMs; }
    // The last gap in what the meter delivered: the stamps around it and the samples
    // missing; all 0 when none was seen since creation or the last reset.
    qint64 getLastGapFrom() const { return m_lastGapFrom; }
    qint64 getLastGapTo() const { return m_lastGapTo; }
    qint64 getLastGapMissing() const { return m_lastGapMissing; }
    // Why the audiogroup gets no samples now, in plain words; empty while it does.
    QString getStopCause() const { return m_stopCause; }
    // Since when (monotonicMSecs()) the meter has not been reached; 0 while it answers.
    qint64 getUnreachableSince() const { return m_unreachableSince; }

    void setConnected() { m_connected = true; }
    void invalidateTimestamp() { m_lastTimestamp.invalidate(); }
    // The controller's answer to a time stamp request.
    void setTimestamp(int code, const AgTimestamp &timestamp);
    void setReplyResult(int code);
    // storedSamples: how many samples the store took; only stored samples count as data.
    void setStoreResult(int code, int storedSamples);
    void addFutureSamples(int count, qint64 newestTimestamp);
    void addOldSamples(int count, qint64 from, qint64 to);
    void setClockAheadMs(qint64 ms) { m_clockAheadMs = ms; }
    void setLastGap(qint64 from, qint64 to, qint64 missing);
    void setStopCause(const QString &cause) { m_stopCause = cause; }
    // A request failed (true) or the meter answered (false).
    void setUnreachable(bool unreachable);
    // Clears the error codes and states; times, connection and time stamp stay.
    void resetStatus();
    // Everything but the configurations, which travel with the system configuration.
    bool sameStatus(const AcquisitionAg &other) const;

private:
    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
    AgTimestamp m_lastTimestamp;
    bool m_connected = false;
    qint64 m_connectionStartTime = 0;
    int m_replyError = 0;
    qint64 m_lastReplyTime = 0;
    int m_storeError = 0;
    qint64 m_lastDataTime = 0;
    int m_timestampState = StateOk;
    int m_replyState = StateOk;
    int m_storeState = StateOk;
    qint64 m_futureSamples = 0;
    qint64 m_lastFutureTimestamp = 0;
    qint64 m_oldSamples = 0;
    qint64 m_lastOldFrom = 0;
    qint64 m_lastOldTo = 0;
    qint64 m_clockAheadMs = 0;
    qint64 m_lastGapFrom = 0;
    qint64 m_lastGapTo = 0;
    qint64 m_lastGapMissing = 0;
    QString m_stopCause;
    qint64 m_unreachableSince = 0;
};

Q_DECLARE_METATYPE(AcquisitionAg)
Q_DECLARE_METATYPE(QList<AcquisitionAg>)
