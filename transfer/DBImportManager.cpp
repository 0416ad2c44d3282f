#include "DBImportManager.h"

#include "ADBImportSource.h"
#include "SQLiteKIVDBImportSource.h"
#include "SQLiteZQDBImportSource.h"
#include "XMLZQDBImportSource.h"

#include <AAgDataModel.h>
#include <AgConfig.h>
#include <AgDataVector.h>
#include <AgViolations.h>

#include <algorithm>
#include <memory>

namespace {

const char *const kCouldNotRead = "Could not read source DB";

} // namespace

DBImportManager::DBImportManager() = default;

DBImportManager::~DBImportManager()
{
    dropSource();
}

ADBImportSource *DBImportManager::createSource(int type, const QString &path,
                                               AgDataVector *samples)
{
    switch (type) {
    case 0:
        return new SQLiteKIVDBImportSource(path);
    case 1:
        return new SQLiteZQDBImportSource(path);
    case 2:
        return new XMLZQDBImportSource(samples);
    default:
        return nullptr;
    }
}

bool DBImportManager::isImporting() const
{
    return m_requestId != -1 && !m_completed && !m_failed;
}

qint64 DBImportManager::getProgressValue() const
{
    if (!m_opened)
        return 0;
    return std::max<qint64>(0, m_readPosition - m_firstTimestamp);
}

qint64 DBImportManager::getProgressTotal() const
{
    if (!m_opened)
        return 100;
    const qint64 total = m_lastTimestamp - m_firstTimestamp;
    return total <= 0 ? 1 : total;
}

int DBImportManager::startImport(int requestId, int sourceType, const QString &filePath)
{
    if (sourceType != 0 && sourceType != 1) {
        fail(QStringLiteral("Unknown source type"));
        return -1;
    }
    return start(requestId, sourceType, filePath, nullptr);
}

int DBImportManager::startXmlImport(int requestId, AgDataVector *data, int sourceType)
{
    if (sourceType != 2) {
        fail(QStringLiteral("Unknown source type"));
        return -1;
    }
    return start(requestId, sourceType, QString(), data);
}

int DBImportManager::startXmlStreamImport(int requestId, const XmlSampleList &list, int sourceType)
{
    if (sourceType != 2) {
        fail(QStringLiteral("Unknown source type"));
        return -1;
    }
    if (m_requestId != -1)
        return -1;
    return startWith(requestId, new XMLZQDBImportSource(list));
}

int DBImportManager::start(int requestId, int sourceType, const QString &path,
                           AgDataVector *samples)
{
    if (m_requestId != -1)
        return -1;
    return startWith(requestId, createSource(sourceType, path, samples));
}

int DBImportManager::startWith(int requestId, ADBImportSource *source)
{
    m_requestId = requestId;
    m_source = source;
    if (!m_source) {
        fail(QLatin1String(kCouldNotRead));
        return -1;
    }
    return 0;
}

void DBImportManager::fail(const QString &message)
{
    m_failed = true;
    m_message = message;
}

void DBImportManager::dropSource()
{
    delete m_source;
    m_source = nullptr;
}

void DBImportManager::process(bool checkIAtProgramEndOnly, InstrumentConfig *, AgConfig *agConfig,
                              AAgDataModel *model, AgViolations *violations)
{
    if (m_completed || m_failed) {
        dropSource();
        return;
    }
    if (m_requestId == -1)
        return;
    if (!m_opened) {
        openSource();
    } else if (agConfig) {
        if (model && !m_bulkWrites) {
            model->setBulkWrites(true);
            m_bulkWrites = true;
        }
        importSlice(checkIAtProgramEndOnly, *agConfig, model, violations);
    } else {
        fail(QStringLiteral("Source data read error"));
    }
    // The source's connection goes at once: the next import may open one of that name.
    if (m_completed || m_failed) {
        if (model && m_bulkWrites) {
            model->setBulkWrites(false);
            m_bulkWrites = false;
        }
        dropSource();
    }
}

void DBImportManager::openSource()
{
    if (!m_source || m_source->openSource() != 0) {
        fail(QLatin1String(kCouldNotRead));
        return;
    }
    int error = 0;
    m_firstTimestamp = m_source->firstTimestamp(&error);
    if (error != 0) {
        fail(QLatin1String(kCouldNotRead));
        return;
    }
    m_readPosition = m_firstTimestamp - 1;
    m_lastTimestamp = m_source->lastTimestamp(&error);
    if (error != 0) {
        fail(QLatin1String(kCouldNotRead));
        return;
    }
    if (m_firstTimestamp <= 0 || m_lastTimestamp <= 0 || m_firstTimestamp > m_lastTimestamp) {
        fail(QStringLiteral("Invalid import data"));
        return;
    }
    m_opened = true;
}

void DBImportManager::importSlice(bool checkIAtProgramEndOnly, const AgConfig &agConfig,
                                  AAgDataModel *model, AgViolations *violations)
{
    if (m_retryBudget < 1) {
        fail(QStringLiteral("Source data read error"));
        return;
    }
    const qint64 from = m_readPosition + 1;
    const qint64 end = std::min(m_readPosition + m_sliceMs, m_lastTimestamp);
    if (from <= 0 || end <= 0 || from > end) {
        fail(QStringLiteral("Source data read error"));
        return;
    }
    if (m_source->getSourceType() != 0) {
        if (dataSlice(from, end, checkIAtProgramEndOnly, agConfig, model, violations)) {
            m_dataSliceDone = true;
            m_eventsSliceDone = true;
        }
    } else {
        if (!m_dataSliceDone)
            m_dataSliceDone = dataSlice(from, end, checkIAtProgramEndOnly, agConfig, model,
                                        violations);
        if (m_dataSliceDone && !m_eventsSliceDone)
            m_eventsSliceDone = eventsSlice(from, end, model);
    }
    if (m_dataSliceDone && m_eventsSliceDone) {
        m_dataSliceDone = false;
        m_eventsSliceDone = false;
        m_retryBudget = kRetryBudget;
        m_readPosition = end;
    } else if (!m_dataSliceDone && m_sliceMs > kShortSliceMs) {
        // Nothing of the slice was stored: its short slices from the same place on.
        m_sliceMs = kShortSliceMs;
    } else {
        --m_retryBudget;
    }
    if (m_readPosition >= m_lastTimestamp)
        m_completed = true;
}

bool DBImportManager::dataSlice(qint64 from, qint64 to, bool checkIAtProgramEndOnly,
                                const AgConfig &agConfig, AAgDataModel *model,
                                AgViolations *violations)
{
    if (!model)
        return false;
    int error = 0;
    std::unique_ptr<AgDataVector> samples(m_source->read(from, to, &error));
    if (error != 0 || !samples)
        return false;
    // The next slice as importSlice will ask for it once this one is stored.
    if (to < m_lastTimestamp)
        m_source->readAhead(to + 1, std::min(to + m_sliceMs, m_lastTimestamp));
    // An own database brings its events table, copied as it is; a meter's samples carry
    // their program events in their event words, from which the store derives the rows.
    const bool deriveEvents = m_source->getSourceType() != 0;
    const AgStoreResult result = model->insertData(samples.get(), deriveEvents);
    if (!result.isStored())
        return false;
    if (violations)
        violations->update(checkIAtProgramEndOnly, agConfig, samples.get(), -1);
    return true;
}

bool DBImportManager::eventsSlice(qint64 from, qint64 to, AAgDataModel *model)
{
    if (!model)
        return false;
    int error = 0;
    const std::vector<AgEvent> events = m_source->readEventRows(from, to, &error);
    if (error != 0)
        return false;
    if (events.empty())
        return true;
    int result = -1;
    model->insertEvents(events, &result);
    return result == 0;
}
