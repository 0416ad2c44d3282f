#include "DBExportManager.h"

DBExportManager::DBExportManager() = default;

DBExportManager::~DBExportManager() = default;

int DBExportManager::startExport(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig,
                                 qint64 from, qint64 to, const QString &targetPath)
{
    if (m_started)
        return -1;
    m_instrumentConfig = instrumentConfig;
    m_agConfig = agConfig;
    m_from = from;
    m_to = to;
    m_targetPath = targetPath;
    m_started = true;
    m_finished = false;
    m_completed = false;
    m_cancelRequested = false;
    return 0;
}

void DBExportManager::process(int, AAgDataModel *)
{
    // No export writer exists yet: a started export ends as failed.
    if (m_started && !m_finished) {
        m_finished = true;
        m_completed = false;
        m_message = QStringLiteral("Export is not available.");
    }
}

int DBExportManager::cancel()
{
    if (!m_started || m_finished)
        return -1;
    m_cancelRequested = true;
    return 0;
}

void DBExportManager::reset()
{
    m_started = false;
    m_finished = false;
    m_completed = false;
    m_cancelRequested = false;
    m_progressValue = 0;
    m_progressTotal = 0;
    m_message.clear();
}
