#include "AgDbConfig.h"

AgDbConfig::AgDbConfig(qint64 timestamp, const QString &instrumentName, const QString &agSourceName,
                       const QString &rawXml)
    : m_timestamp(timestamp), m_instrumentName(instrumentName), m_agSourceName(agSourceName),
      m_rawXml(rawXml)
{
}

AgDbConfig::~AgDbConfig() = default;
