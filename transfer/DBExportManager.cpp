#include "DBExportManager.h"

#include <AAgDataModel.h>
#include <AgDataVector.h>
#include <KivUtils.h>
#include <SystemConfig.h>
#include <SystemConfigXml.h>

#include <QFile>

#include <algorithm>
#include <memory>

namespace {

// The journal files SQLite may leave beside an interrupted file.
const char *const kJournalSuffixes[] = {"-wal", "-shm", "-journal"};

bool removeWithJournals(const QString &path)
{
    for (const char *suffix : kJournalSuffixes) {
        const QString journal = path + QLatin1String(suffix);
        if (QFile::exists(journal))
            QFile::remove(journal);
    }
    return !QFile::exists(path) || QFile::remove(path);
}

} // namespace

DBExportManager::DBExportManager() = default;

DBExportManager::~DBExportManager()
{
    closeDestination();
}

int DBExportManager::startExport(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig,
                                 qint64 periodStart, qint64 periodEnd,
                                 const QString &destinationPath)
{
    if (m_started)
        return -1;
    reset();
    m_instrumentConfig = instrumentConfig;
    m_agConfig = agConfig;
    m_periodStart = periodStart;
    m_periodEnd = periodEnd;
    m_destinationPath = destinationPath;
    m_position = periodStart - 1;
    m_started = true;
    return 0;
}

int DBExportManager::cancel()
{
    if (!m_started)
        return -1;
    m_cancelRequested = true;
    return 0;
}

void DBExportManager::reset()
{
    m_started = false;
    m_cancelRequested = false;
    m_error = false;
    m_completed = false;
    m_failed = false;
    m_message.clear();
    m_configCopied = false;
    m_dataSliceDone = false;
    m_eventsSliceDone = false;
    m_periodStart = -1;
    m_periodEnd = -1;
    m_destinationPath.clear();
    m_position = -1;
    m_retryBudget = kRetryBudget;
    m_fileTouched = false;
    closeDestination();
}

int DBExportManager::getState() const
{
    if (!m_started)
        return Idle;
    if (m_completed || m_failed)
        return Ended;
    if (m_cancelRequested || m_error)
        return Disposing;
    return Running;
}

void DBExportManager::closeDestination()
{
    if (!m_destination)
        return;
    m_destination->close();
    delete m_destination;
    m_destination = nullptr;
}

void DBExportManager::setError(const QString &message)
{
    m_error = true;
    m_message = message;
}

void DBExportManager::process(int, AAgDataModel *source)
{
    switch (getState()) {
    case Running:
        writeStep(source);
        break;
    case Disposing:
        dispose();
        break;
    case Ended:
        // The file is complete and closed before the controller reports the end.
        closeDestination();
        break;
    default:
        break;
    }
}

void DBExportManager::writeStep(AAgDataModel *source)
{
    if (m_periodStart <= 0 || m_periodEnd <= 0 || m_periodStart > m_periodEnd) {
        m_failed = true;
        m_message = QStringLiteral("Could not perform export because invalid export data");
        return;
    }
    if (!m_destination) {
        // Replacing a file in the data folder could destroy a live audiogroup database or a
        // backup; nothing there is touched, whatever the caller checked.
        if (isInDataFolderTree(m_destinationPath)) {
            m_failed = true;
            m_message = QStringLiteral("Export operation is not allowed to KIV's data folder. "
                                       "Please try again and select a different target folder.");
            return;
        }
        // From here on the file at the path is the export's own to dispose of.
        m_fileTouched = true;
        if (QFile::exists(m_destinationPath) && !removeWithJournals(m_destinationPath)) {
            setError(QStringLiteral(
                "Could not perform export because the file to be overwritten could not be "
                "deleted"));
            return;
        }
        auto *destination = new AAgDataModel();
        if (destination->init(0, m_instrumentConfig, m_agConfig, true, m_destinationPath) != 0) {
            destination->close();
            delete destination;
            setError(QStringLiteral("Could not create the export database at the specified "
                                    "location"));
            return;
        }
        m_destination = destination;
        return;
    }
    if (m_retryBudget < 1) {
        setError(QStringLiteral("Export operation failed"));
        return;
    }
    if (!m_configCopied) {
        int error = 0;
        AgDbConfig config = source ? source->getLatestConfig(&error) : AgDbConfig();
        if (source && error != 0) {
            // An audiogroup whose configuration never changed since it was added has no
            // row yet; the file gets one of the configuration it was exported with, so that
            // it imports under the audiogroup's names.
            config = fallbackConfigRow();
            error = 0;
        }
        if (source)
            m_destination->saveConfig(config, &error);
        if (source && error == 0) {
            m_configCopied = true;
            m_retryBudget = kRetryBudget;
        } else {
            --m_retryBudget;
        }
        return;
    }
    const qint64 from = m_position + 1;
    const qint64 end = std::min(m_position + kSliceMs, m_periodEnd);
    if (from <= 0 || end <= 0 || from > end) {
        setError(QStringLiteral("Export operation failed"));
        return;
    }
    if (!m_dataSliceDone)
        m_dataSliceDone = copySamples(source, from, end);
    if (m_dataSliceDone && !m_eventsSliceDone)
        m_eventsSliceDone = copyEvents(source, from, end);
    if (m_dataSliceDone && m_eventsSliceDone) {
        m_position = end;
        m_retryBudget = kRetryBudget;
        m_dataSliceDone = false;
        m_eventsSliceDone = false;
    } else {
        --m_retryBudget;
    }
    if (m_position >= m_periodEnd) {
        m_completed = true;
        m_message = QStringLiteral("Export operation completed successfully");
    }
}

AgDbConfig DBExportManager::fallbackConfigRow() const
{
    InstrumentConfig instrument = m_instrumentConfig;
    instrument.setAgConfigs({m_agConfig});
    SystemConfig config;
    config.setInstruments({instrument});
    return AgDbConfig(currentUtcMSecs(), instrument.getName(), m_agConfig.getName(),
                      systemConfigToXmlString(config, true));
}

bool DBExportManager::copySamples(AAgDataModel *source, qint64 from, qint64 to)
{
    if (!source)
        return false;
    int error = 0;
    std::unique_ptr<AgDataVector> samples(source->getData(0, from, to, &error));
    if (error != 0 || !samples)
        return false;
    return m_destination->insertData(samples.get(), false).isStored();
}

bool DBExportManager::copyEvents(AAgDataModel *source, qint64 from, qint64 to)
{
    if (!source)
        return false;
    int error = 0;
    const std::vector<AgEvent> events = source->getEvents(from, to, &error);
    if (error != 0)
        return false;
    if (events.empty())
        return true;
    m_destination->insertEvents(events, &error);
    return error == 0;
}

void DBExportManager::dispose()
{
    closeDestination();
    // A cancel before the first write leaves a file the user already had alone.
    const bool removed = !m_fileTouched || removeWithJournals(m_destinationPath);
    if (m_error) {
        m_failed = true;
        const QString reason = m_message;
        if (removed)
            m_message = QStringLiteral("Export operation was failed because: \"%1\"").arg(reason);
        else
            m_message = QStringLiteral("Export operation failed because: \"%1\", and could not "
                                       "dispose export incomplete database")
                            .arg(reason);
        return;
    }
    if (removed) {
        m_completed = true;
        m_message.clear();
    } else {
        m_failed = true;
        m_message = QStringLiteral(
            "Export operation was cancelled, but could not dispose export incomplete database");
    }
}
