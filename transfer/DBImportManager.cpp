#include "DBImportManager.h"

#include <AgDataVector.h>

DBImportManager::DBImportManager() = default;

DBImportManager::~DBImportManager() = default;

bool DBImportManager::isImporting() const
{
    return m_requestId != -1 && !m_completed && !m_failed;
}

void DBImportManager::process(bool, InstrumentConfig *, AgConfig *, AAgDataModel *, AgViolations *)
{
    // No import source exists yet: an active request ends as failed.
    if (isImporting()) {
        m_failed = true;
        m_message = QStringLiteral("Import is not available.");
    }
}

int DBImportManager::startImport(int requestId, int, const QString &)
{
    if (isImporting())
        return -1;
    m_requestId = requestId;
    m_completed = false;
    m_failed = false;
    m_progressValue = 0;
    m_progressTotal = 0;
    m_message.clear();
    return 0;
}

int DBImportManager::startXmlImport(int requestId, AgDataVector *data, int value)
{
    const int result = startImport(requestId, value, QString());
    if (result == 0)
        delete data;
    return result;
}
