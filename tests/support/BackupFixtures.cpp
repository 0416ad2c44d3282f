#include "BackupFixtures.h"

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

#include <sqlite3.h>

namespace BackupFixtures {

namespace {

bool fill(AAgDataModel &store, const QString &source, int programs, qint64 firstProgramId,
          qint64 start, qint64 programMs, qint64 stepMs)
{
    const qint64 perProgram = programMs / stepMs;
    const qint64 total = programs * perProgram;
    AgDataVector batch(source, 0);
    for (qint64 i = 0; i < total; ++i) {
        AgData sample(source);
        sample.setEmpty(false);
        sample.setTimestamp(start + i * stepMs);
        sample.setProgramId(firstProgramId + i / perProgram);
        // A program begins with its start word.
        sample.setEvents(i % perProgram == 0 ? 1 : 0);
        sample.setM400ms(-23.0 - double(i % 7) / 4);
        sample.setS(-22.5 - double(i % 5) / 8);
        sample.setTP(-1.0 - double(i % 11) / 8);
        batch.append(sample);
        if (batch.size() == 1000 || i + 1 == total) {
            int err = -7;
            store.insertData(&batch, true, &err);
            // Samples a second apart are stored with the gap code.
            if (err != 0 && err != kStoreGapCode) {
                qWarning("writeBackups: insert failed (%d)", err);
                return false;
            }
            batch = AgDataVector(source, 0);
        }
    }
    return true;
}

} // namespace

QStringList writeBackups(const Audiogroup &audiogroup, int programs, qint64 firstProgramId,
                         qint64 start, qint64 programMs, qint64 stepMs)
{
    InstrumentConfig instrument(audiogroup.instrument);
    const AgConfig agConfig(audiogroup.source);
    instrument.setAgConfig(agConfig);
    QStringList files;
    createDataFolder();
    {
        AAgDataModel store(new SQLiteAgDataModel(instrument, agConfig, false, QString()));
        int err = 0;
        if (audiogroup.withConfig) {
            SystemConfig config;
            config.setInstruments({instrument});
            store.saveConfig(AgDbConfig(start, audiogroup.instrument, audiogroup.source,
                                        systemConfigToXmlString(config, true)),
                             &err);
            if (err != 0)
                return {};
        }
        if (!fill(store, audiogroup.source, programs + 1, firstProgramId, start, programMs,
                  stepMs))
            return {};
        std::vector<Program> all = store.getPrograms(&err);
        if (err != 0 || all.size() != size_t(programs) + 1) {
            qWarning("writeBackups: %d programs found of %d (%d)", int(all.size()), programs + 1,
                     err);
            return {};
        }
        all.pop_back();
        store.backupPrograms(all, &err);
        if (err != 0) {
            qWarning("writeBackups: backup failed (%d)", err);
            return {};
        }
        for (const Program &program : all)
            files << getBackupDbFilePath(audiogroup.instrument, audiogroup.source,
                                         program.getProgramId(), program.getStart());
        store.close();
    }
    const QString own = getAgDbFilePath(audiogroup.instrument, audiogroup.source);
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(own + QLatin1String(suffix));
    return files;
}

QStringList sampleRows(const QString &path)
{
    QStringList rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("cannot open ") + path};
    }
    sqlite3_stmt *select = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT * FROM AgDataZoomLevel0 ORDER BY timestamp", -1, &select,
                           nullptr) == SQLITE_OK) {
        while (sqlite3_step(select) == SQLITE_ROW) {
            QStringList columns;
            for (int c = 0; c < sqlite3_column_count(select); ++c)
                columns << QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_column_text(select, c)));
            rows << columns.join(QLatin1Char('|'));
        }
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    return rows;
}

} // namespace BackupFixtures
