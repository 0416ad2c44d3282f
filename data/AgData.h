#pragma once

#include <QMetaType>
#include <QString>

#include <cmath>
#include <limits>

class AgConfig;

// One loudness sample of one audiogroup. M400ms is the momentary value behind every
// threshold, maximum and histogram; M100ms is carried only.
class AgData
{
public:
    // A stored time stamp lies after the epoch and before 3000-01-01 00:00 UTC. One damaged
    // far-future stamp would become the audiogroup's newest and every later sample would be
    // refused as old. A fixed bound, not the wall clock: that may be wrong itself.
    static constexpr qint64 kTimestampCeilingMs = 32503680000000;
    static bool isStorableTimestamp(qint64 timestamp)
    {
        return timestamp > 0 && timestamp < kTimestampCeilingMs;
    }

    // A loudness value that the meter did not give as a finite number. In memory it is a
    // NaN, which never violates, counts or draws; the file keeps kNoValueStored, which the
    // table shows as "---" like every value below -100.
    static double noValue() { return std::numeric_limits<double>::quiet_NaN(); }
    static constexpr double kNoValueStored = -999.0;
    static double toStored(double value) { return std::isnan(value) ? kNoValueStored : value; }
    static double fromStored(double value) { return value == kNoValueStored ? noValue() : value; }

    AgData();
    explicit AgData(const QString &sourceName);
    AgData(const AgData &) = default;
    AgData(AgData &&) = default;
    AgData &operator=(const AgData &) = default;
    AgData &operator=(AgData &&) = default;
    virtual ~AgData();

    bool isEmpty() const { return m_empty; }
    void setEmpty(bool empty) { m_empty = empty; }
    QString getSourceName() const { return m_sourceName; }
    void setSourceName(const QString &sourceName) { m_sourceName = sourceName; }
    qint64 getTimecode() const { return m_timecode; }
    void setTimecode(qint64 timecode) { m_timecode = timecode; }
    qint64 getTimestamp() const { return m_timestamp; }
    void setTimestamp(qint64 timestamp) { m_timestamp = timestamp; }
    qint64 getProgramId() const { return m_programId; }
    void setProgramId(qint64 programId) { m_programId = programId; }
    double getTP() const { return m_TP; }
    void setTP(double value) { m_TP = value; }
    double getTPMax() const { return m_TPMax; }
    void setTPMax(double value) { m_TPMax = value; }
    double getM100ms() const { return m_M100ms; }
    void setM100ms(double value) { m_M100ms = value; }
    double getM400ms() const { return m_M400ms; }
    void setM400ms(double value) { m_M400ms = value; }
    double getMMax() const { return m_MMax; }
    void setMMax(double value) { m_MMax = value; }
    double getS() const { return m_S; }
    void setS(double value) { m_S = value; }
    double getSMax() const { return m_SMax; }
    void setSMax(double value) { m_SMax = value; }
    double getI() const { return m_I; }
    void setI(double value) { m_I = value; }
    double getLRA() const { return m_LRA; }
    void setLRA(double value) { m_LRA = value; }
    double getSPL() const { return m_SPL; }
    void setSPL(double value) { m_SPL = value; }
    qint64 getFlags() const { return m_flags; }
    void setFlags(qint64 flags) { m_flags = flags; }
    qint64 getEvents() const { return m_events; }
    void setEvents(qint64 events) { m_events = events; }

    // Threshold tests: strict comparisons, each true only while its threshold set is
    // active; a NaN value never violates. M, S and I are compared with their threshold plus
    // AgConfig::loudnessThresholdOffset, TP with its threshold as it stands.
    bool isMomentaryAboveMainThreshold(const AgConfig &config) const;
    bool isMomentaryAboveSecondaryThreshold(const AgConfig &config) const;
    bool isShortTermAboveMainThreshold(const AgConfig &config) const;
    bool isShortTermAboveSecondaryThreshold(const AgConfig &config) const;
    bool isTruePeakAboveMainThreshold(const AgConfig &config) const;
    bool isTruePeakAboveSecondaryThreshold(const AgConfig &config) const;
    bool isIntegratedAboveMainThreshold(const AgConfig &config) const;
    bool isIntegratedBelowMainThreshold(const AgConfig &config) const;
    bool isIntegratedAboveSecondaryThreshold(const AgConfig &config) const;
    bool isIntegratedBelowSecondaryThreshold(const AgConfig &config) const;

    bool hasMomentaryViolation(const AgConfig &config) const;
    bool hasShortTermViolation(const AgConfig &config) const;
    bool hasTruePeakViolation(const AgConfig &config) const;
    bool hasIntegratedViolation(const AgConfig &config) const;
    bool hasViolation(const AgConfig &config) const;

private:
    bool m_empty = true;
    QString m_sourceName;
    qint64 m_timecode = 0;
    qint64 m_timestamp = 0;
    qint64 m_programId = 0;
    double m_TP = 0.0;
    double m_TPMax = 0.0;
    double m_M100ms = 0.0;
    double m_M400ms = 0.0;
    double m_MMax = 0.0;
    double m_S = 0.0;
    double m_SMax = 0.0;
    double m_I = 0.0;
    double m_LRA = 0.0;
    double m_SPL = 0.0;
    qint64 m_flags = 0;
    qint64 m_events = 0;
};

// Whether the integrated value of `judged` is due for a threshold check now that `next`
// follows it: never for an empty sample; always when checks are not limited to program
// ends; otherwise only when `judged` is the last sample of its program.
bool isIntegratedCheckDue(bool checkAtProgramEndOnly, const AgData &next, const AgData &judged);

Q_DECLARE_METATYPE(AgData)
