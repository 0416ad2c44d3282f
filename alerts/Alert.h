#pragma once

#include <QString>
#include <QtGlobal>

// One noteworthy event for the alert e-mails (in this program a threshold violation of an
// audiogroup), raised on an audiogroup's controller thread and handed over by value.
class Alert
{
public:
    Alert();
    // time: ms since the epoch, UTC. type: ViolationType, severity: Priority, source:
    // EntityType (KivTypes.h).
    Alert(qint64 time, int type, int severity, int source, const QString &description);
    Alert(const Alert &other) = default;
    Alert &operator=(const Alert &other) = default;
    virtual ~Alert();

    qint64 getTime() const { return m_time; }
    int getType() const { return m_type; }
    int getSeverity() const { return m_severity; }
    int getSource() const { return m_source; }
    QString getDescription() const { return m_description; }

private:
    qint64 m_time = 0;
    int m_type = 0;
    int m_severity = 0;
    int m_source = 0;
    QString m_description;
};
