#include "ADBImportSource.h"

#include <AgDataVector.h>

#include <QFileInfo>
#include <QSqlDatabase>

namespace {

void setError(int *error, int value)
{
    if (error)
        *error = value;
}

} // namespace

bool ADBImportSource::openReadOnlyDatabase(const QString &connectionName, const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open())
            return true;
    }
    QSqlDatabase::removeDatabase(connectionName);
    return false;
}

void ADBImportSource::removeDatabase(const QString &connectionName)
{
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

ADBImportSource::ADBImportSource(int sourceType, const QString &filePath)
    : m_sourceType(sourceType), m_filePath(filePath)
{
}

ADBImportSource::~ADBImportSource() = default;

int ADBImportSource::openSource()
{
    const int result = open();
    if (result == 0)
        m_opened = true;
    return result;
}

AgDataVector *ADBImportSource::read(qint64 from, qint64 to, int *error)
{
    if (!m_opened) {
        setError(error, -1);
        return nullptr;
    }
    int code = 0;
    AgDataVector *samples = readData(from, to, &code);
    if (code != 0 || !samples) {
        delete samples;
        setError(error, -1);
        return nullptr;
    }
    setError(error, 0);
    return samples;
}

std::vector<AgEvent> ADBImportSource::readEventRows(qint64 from, qint64 to, int *error)
{
    if (!m_opened) {
        setError(error, -1);
        return {};
    }
    int code = 0;
    std::vector<AgEvent> events = readEvents(from, to, &code);
    setError(error, code);
    return code == 0 ? events : std::vector<AgEvent>();
}

qint64 ADBImportSource::firstTimestamp(int *error)
{
    if (!m_opened) {
        setError(error, -1);
        return -1;
    }
    int code = 0;
    const qint64 value = getFirstTimestamp(&code);
    setError(error, code);
    return code == 0 ? value : -1;
}

qint64 ADBImportSource::lastTimestamp(int *error)
{
    if (!m_opened) {
        setError(error, -1);
        return -1;
    }
    int code = 0;
    const qint64 value = getLastTimestamp(&code);
    setError(error, code);
    return code == 0 ? value : -1;
}

std::vector<AgEvent> ADBImportSource::readEvents(qint64, qint64, int *error)
{
    setError(error, -1);
    return {};
}
