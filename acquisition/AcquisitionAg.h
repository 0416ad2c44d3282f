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

    void setConnected() { m_connected = true; }
    void invalidateTimestamp() { m_lastTimestamp.invalidate(); }
    // The controller's answer to a time stamp request.
    void setTimestamp(int code, const AgTimestamp &timestamp);
    void setReplyResult(int code);
    // storedSamples: how many samples the store took; only stored samples count as data.
    void setStoreResult(int code, int storedSamples);
    void addFutureSamples(int count, qint64 newestTimestamp);
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
};

Q_DECLARE_METATYPE(AcquisitionAg)
Q_DECLARE_METATYPE(QList<AcquisitionAg>)
