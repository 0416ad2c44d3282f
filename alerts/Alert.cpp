#include "Alert.h"

Alert::Alert() = default;

Alert::Alert(qint64 time, int type, int severity, int source, const QString &description)
    : m_time(time), m_type(type), m_severity(severity), m_source(source),
      m_description(description)
{
}

Alert::~Alert() = default;
