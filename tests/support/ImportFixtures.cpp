#include "ImportFixtures.h"

#include <AAgDataModel.h>
#include <AgConfig.h>
#include <AgDataVector.h>
#include <AgDbConfig.h>
#include <AgStoreResult.h>
#include <InstrumentConfig.h>
#include <KivUtils.h>
#include <SQLiteAgDataModel.h>
#include <SystemConfig.h>
#include <SystemConfigXml.h>

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>

namespace ImportFixtures {

namespace {

QString number(double value)
{
    return QString::number(value, 'g', 17);
}

bool exec(sqlite3 *db, const QString &sql)
{
    char *message = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        qWarning("fixture SQL failed: %s (%s)", message ? message : "", qPrintable(sql));
        sqlite3_free(message);
        return false;
    }
    return true;
}

QStringList query(const QString &path, const QString &sql)
{
    QStringList rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList values;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                if (sqlite3_column_type(statement, i) == SQLITE_FLOAT)
                    values << number(sqlite3_column_double(statement, i));
                else
                    values << QString::fromUtf8(
                        reinterpret_cast<const char *>(sqlite3_column_text(statement, i)));
            }
            rows << values.join(QLatin1Char('|'));
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

bool insertMeterRows(sqlite3 *db, bool realTimecodes, const std::vector<AgData> &data)
{
    bool ok = true;
    ok = ok && exec(db, QStringLiteral("BEGIN;"));
    sqlite3_stmt *insert = nullptr;
    if (ok)
        ok = sqlite3_prepare_v2(db,
                                "INSERT INTO Loudness VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                "?, ?, ?);",
                                -1, &insert, nullptr) == SQLITE_OK;
    for (size_t i = 0; ok && i < data.size(); ++i) {
        const AgData &s = data[i];
        sqlite3_bind_int64(insert, 1, s.getTimestamp());
        if (realTimecodes)
            sqlite3_bind_double(insert, 2, double(s.getTimecode()));
        else
            sqlite3_bind_int64(insert, 2, s.getTimecode());
        sqlite3_bind_int64(insert, 3, s.getProgramId());
        const double values[] = {s.getTP(), s.getTPMax(), s.getM100ms(), s.getM400ms(),
                                 s.getMMax(), s.getS(), s.getSMax(), s.getI(), s.getLRA(),
                                 s.getSPL()};
        for (int v = 0; v < 10; ++v)
            sqlite3_bind_double(insert, 4 + v, values[v]);
        sqlite3_bind_int64(insert, 14, s.getEvents());
        sqlite3_bind_int64(insert, 15, s.getFlags());
        ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
    }
    sqlite3_finalize(insert);
    return ok && exec(db, QStringLiteral("COMMIT;"));
}

} // namespace

std::vector<AgData> samples(qint64 start, int count, qint64 stepMs, int programSamples,
                            qint64 firstProgramId)
{
    std::vector<AgData> data;
    data.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        AgData sample;
        sample.setEmpty(false);
        sample.setTimestamp(start + i * stepMs);
        // Even frame counts: a version 1.0 file stores them as floating-point numbers.
        sample.setTimecode(qint64(2 * (i % 50000)));
        sample.setProgramId(firstProgramId + i / programSamples);
        sample.setEvents(i % programSamples == 0 ? 1 : 0);
        sample.setFlags(i % 3);
        sample.setTP(-1.0 - (i % 11) / 8.0);
        sample.setTPMax(-0.5 - (i % 5) / 16.0);
        sample.setM100ms(-20.25 - (i % 9) / 4.0);
        sample.setM400ms(-23.0 - (i % 7) / 4.0);
        sample.setMMax(-10.5);
        sample.setS(-22.5 - (i % 5) / 8.0);
        sample.setSMax(-12.125);
        sample.setI(-23.0 + (i % 13) / 32.0);
        sample.setLRA(4.0 + (i % 3));
        data.push_back(sample);
    }
    return data;
}

bool writeKivDb(const QString &path, const QString &instrumentName, const QString &source,
                const std::vector<AgData> &data, bool withConfig)
{
    InstrumentConfig instrument(instrumentName);
    AgConfig agConfig(source);
    agConfig.setTargetLoudness(-24.0);
    instrument.setAgConfig(agConfig);
    createDataFolder();
    const QString stored = getAgDbFilePath(instrumentName, source);
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(stored + QLatin1String(suffix));
    {
        AAgDataModel store(new SQLiteAgDataModel(instrument, agConfig, false, QString()));
        int err = 0;
        if (withConfig) {
            SystemConfig config;
            config.setInstruments({instrument});
            store.saveConfig(AgDbConfig(kT0, instrumentName, source,
                                        systemConfigToXmlString(config, true)),
                             &err);
            if (err != 0)
                return false;
        }
        for (size_t first = 0; first < data.size(); first += 3000) {
            AgDataVector batch(source, 0);
            for (size_t i = first; i < data.size() && i < first + 3000; ++i)
                batch.append(data[i]);
            store.insertData(&batch, true, &err);
            if (err != 0 && err != kStoreGapCode)
                return false;
        }
        store.close();
    }
    QFile::remove(path);
    if (!QFile::rename(stored, path))
        return false;
    for (const char *suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(stored + QLatin1String(suffix));
    return true;
}

QString measurementXml(const QString &instrument, const QStringList &sources)
{
    QString xml = QStringLiteral("<LoudnessMeasurement><Name>%1</Name><Manufacturer>NUV"
                                 "</Manufacturer><ModelNumber>ZQ-1</ModelNumber><SerialNumber>"
                                 "SN42</SerialNumber><SoftwareVersion>2.1</SoftwareVersion>"
                                 "<PresetName>Broadcast</PresetName>")
                      .arg(instrument);
    for (const QString &source : sources)
        xml += QStringLiteral("<DataSource><SourceName>%1</SourceName><AudioMode>5.1</AudioMode>"
                              "<LoudnessMode>EBU</LoudnessMode><LoudnessUnit>LUFS</LoudnessUnit>"
                              "<TargetLoudness>-23.0</TargetLoudness></DataSource>")
                   .arg(source);
    return xml + QStringLiteral("</LoudnessMeasurement>");
}

bool writeMeterDb(const QString &path, MeterVersion version, bool realTimecodes,
                  const QString &instrument, const QStringList &sources,
                  const std::vector<AgData> &data)
{
    QFile::remove(path);
    sqlite3 *db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = exec(db, QStringLiteral(
                           "CREATE TABLE Loudness (timestamp INTEGER PRIMARY KEY, timecode %1, "
                           "programId INTEGER, TP REAL, TPMax REAL, M100ms REAL, M400ms REAL, "
                           "MMax REAL, S REAL, SMax REAL, I REAL, LRA REAL, SPL REAL, Events "
                           "INTEGER, Flags INTEGER);")
                           .arg(realTimecodes ? "REAL" : "INTEGER"));
    if (ok && !sources.isEmpty()) {
        ok = exec(db, QStringLiteral("CREATE TABLE config (name TEXT, config TEXT);"));
        sqlite3_stmt *insert = nullptr;
        if (ok && sqlite3_prepare_v2(db, "INSERT INTO config VALUES (?, ?);", -1, &insert,
                                     nullptr) == SQLITE_OK) {
            const QByteArray name = sources.first().toUtf8();
            const QByteArray config = measurementXml(instrument, sources).toUtf8();
            sqlite3_bind_text(insert, 1, name.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, config.constData(), -1, SQLITE_TRANSIENT);
            ok = sqlite3_step(insert) == SQLITE_DONE;
        }
        sqlite3_finalize(insert);
    }
    if (ok && version != MeterVersion::None)
        ok = exec(db, QStringLiteral("CREATE TABLE Version (dbVersion TEXT); INSERT INTO Version "
                                     "VALUES ('%1');")
                          .arg(version == MeterVersion::V10 ? "1.0" : "1.1"));
    ok = ok && insertMeterRows(db, realTimecodes, data);
    sqlite3_close(db);
    return ok;
}

bool appendMeterRows(const QString &path, bool realTimecodes, const std::vector<AgData> &data)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
              SQLITE_OK;
    ok = ok && insertMeterRows(db, realTimecodes, data);
    sqlite3_close(db);
    return ok;
}

QString exportXml(const QString &instrument, const QStringList &sources,
                  const std::vector<AgData> &data)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<export>") +
                  measurementXml(instrument, sources);
    for (const QString &source : sources) {
        xml += QStringLiteral("<AGDataList><Name>%1</Name><numAvail>%2</numAvail>")
                   .arg(source)
                   .arg(data.size());
        for (const AgData &s : data) {
            xml += QStringLiteral("<AGData><tmCode>%1</tmCode><tmStamp>%2</tmStamp><pgmid>%3"
                                  "</pgmid><TP>%4</TP><TPMax>%5</TPMax><M100ms>%6</M100ms>"
                                  "<M400ms>%7</M400ms><MMax>%8</MMax><S>%9</S>")
                       .arg(s.getTimecode())
                       .arg(s.getTimestamp())
                       .arg(s.getProgramId())
                       .arg(number(s.getTP()), number(s.getTPMax()), number(s.getM100ms()),
                            number(s.getM400ms()), number(s.getMMax()), number(s.getS()));
            xml += QStringLiteral("<SMax>%1</SMax><I>%2</I><LRA>%3</LRA><SPL>0</SPL><Flags>%4"
                                  "</Flags><EventList>%5</EventList></AGData>\n")
                       .arg(number(s.getSMax()), number(s.getI()), number(s.getLRA()))
                       .arg(s.getFlags())
                       .arg(s.getEvents());
        }
        xml += QStringLiteral("</AGDataList>");
    }
    return xml + QStringLiteral("</export>\n");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QStringList sampleRows(const QString &path, const QString &table)
{
    return query(path, QStringLiteral("SELECT timestamp, timecode, programId, TP, TPMax, M100ms, "
                                      "M400ms, MMax, S, SMax, I, LRA, Events, Flags FROM %1 "
                                      "ORDER BY timestamp;")
                           .arg(table));
}

QStringList eventRows(const QString &path)
{
    return query(path, QStringLiteral("SELECT timestamp, startPgmTimestamp, timecode, programId, "
                                      "Events, Flags FROM events ORDER BY timestamp;"));
}

QString rowOf(const AgData &s)
{
    QStringList values{QString::number(s.getTimestamp()), QString::number(s.getTimecode()),
                       QString::number(s.getProgramId())};
    for (double v : {s.getTP(), s.getTPMax(), s.getM100ms(), s.getM400ms(), s.getMMax(), s.getS(),
                     s.getSMax(), s.getI(), s.getLRA()})
        values << number(v);
    values << QString::number(s.getEvents()) << QString::number(s.getFlags());
    return values.join(QLatin1Char('|'));
}

QStringList rowsOf(const std::vector<AgData> &data)
{
    std::vector<AgData> sorted(data);
    std::stable_sort(sorted.begin(), sorted.end(), [](const AgData &a, const AgData &b) {
        return a.getTimestamp() < b.getTimestamp();
    });
    QStringList rows;
    for (const AgData &s : sorted)
        rows << rowOf(s);
    return rows;
}

QStringList tables(const QString &path)
{
    QStringList names =
        query(path, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table';"));
    names.sort();
    return names;
}

} // namespace ImportFixtures
