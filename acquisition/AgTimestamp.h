#pragma once

#include <QString>
#include <QtGlobal>

// An audiogroup's newest stored sample time (ms since the epoch, UTC). Built from a time,
// it is valid exactly when the time is 0 or more; an empty database answers 0.
class AgTimestamp
{
public:
    AgTimestamp() = default;
    explicit AgTimestamp(qint64 timestamp) : m_timestamp(timestamp), m_valid(timestamp >= 0) {}

    qint64 getTimestamp() const { return m_timestamp; }
    bool isValid() const { return m_valid; }
    void invalidate() { m_valid = false; }
    // The time in decimal, as the meter's data request carries it.
    QString toString() const { return QString::number(m_timestamp); }

private:
    qint64 m_timestamp = -1;
    bool m_valid = false;
};
