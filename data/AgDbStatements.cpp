#include "AgDbStatements.h"

#define KIV_SQL_TEXT(name, text)                                                                   \
    const QString &name()                                                                          \
    {                                                                                              \
        static const QString value = QStringLiteral(text);                                         \
        return value;                                                                              \
    }

namespace AgDbSql {

KIV_SQL_TEXT(createLevelTable,
             "CREATE TABLE IF NOT EXISTS %1 (timestamp INTEGER primary key, timecode INTEGER, "
             "programId INTEGER, TP FLOAT, TPMax FLOAT, M100ms FLOAT, M400ms FLOAT, MMax FLOAT, "
             "S FLOAT, SMax FLOAT, I FLOAT, LRA FLOAT, Events INTEGER, Flags INTEGER);")
KIV_SQL_TEXT(createEventsTable,
             "CREATE TABLE IF NOT EXISTS events (timestamp INTEGER primary key, "
             "startPgmTimestamp INTEGER, timecode INTEGER, programId INTEGER, Events INTEGER, "
             "Flags INTEGER);")
KIV_SQL_TEXT(createConfigTable,
             "CREATE TABLE IF NOT EXISTS config (timestamp INTEGER primary key, instrumentName "
             "TEXT, agSourceName TEXT, rawXml TEXT);")
// The trailing blank is part of the text.
KIV_SQL_TEXT(createVersionTable,
             "CREATE TABLE IF NOT EXISTS Version (dbVersion TEXT primary key, creator TEXT, "
             "creatorVersion TEXT); ")

KIV_SQL_TEXT(insertLevelRow,
             "INSERT OR REPLACE INTO %1 (timestamp, timecode, programId, TP, TPMax, M100ms, "
             "M400ms, MMax, S, SMax, I, LRA, Events, Flags) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
             "?, ?, ?, ?);")
KIV_SQL_TEXT(deleteLevelRange, "DELETE FROM %1 WHERE timestamp >= :from AND timestamp <= :to;")
KIV_SQL_TEXT(selectLevelRange,
             "SELECT timestamp, timecode, programId, TP, TPMax, M100ms, M400ms, MMax, S, SMax, I, "
             "LRA, Events, Flags FROM %1 WHERE timestamp >= :from AND timestamp <= :to ORDER BY "
             "timestamp ASC;")
KIV_SQL_TEXT(selectLevelNewest, "SELECT COALESCE(MAX(timestamp), 0) FROM %1;")
KIV_SQL_TEXT(selectLevelOldest, "SELECT COALESCE(MIN(timestamp), 0) FROM %1;")
KIV_SQL_TEXT(selectLevelCount, "SELECT COUNT(*) FROM %1;")

KIV_SQL_TEXT(selectAllEvents,
             "SELECT timestamp, startPgmTimestamp, timecode, programId, Events, Flags FROM events "
             "ORDER BY timestamp ASC;")
KIV_SQL_TEXT(selectEventsRange,
             "SELECT timestamp, startPgmTimestamp, timecode, programId, Events, Flags FROM events "
             "WHERE timestamp >= :from AND timestamp <= :to ORDER BY timestamp ASC;")
KIV_SQL_TEXT(insertEvent,
             "INSERT OR REPLACE INTO events (timestamp, startPgmTimestamp, timecode, programId, "
             "Events, Flags) VALUES (?, ?, ?, ?, ?, ?);")
KIV_SQL_TEXT(deleteEventsRange, "DELETE FROM events WHERE timestamp >= :from AND timestamp <= :to;")
KIV_SQL_TEXT(insertConfig,
             "INSERT OR REPLACE INTO config (timestamp, instrumentName, agSourceName, rawXml) "
             "VALUES (?, ?, ?, ?);")
KIV_SQL_TEXT(selectLatestConfig,
             "SELECT timestamp, instrumentName, agSourceName, rawXml FROM config ORDER BY "
             "timestamp DESC LIMIT 1;")
KIV_SQL_TEXT(
    insertVersion,
    "INSERT OR REPLACE INTO Version (dbVersion, creator, creatorVersion) VALUES (?, ?, ?);")
KIV_SQL_TEXT(selectVersionCount, "SELECT COUNT(*) FROM Version;")

KIV_SQL_TEXT(beginTransaction, "BEGIN TRANSACTION")
KIV_SQL_TEXT(commitTransaction, "COMMIT TRANSACTION")
KIV_SQL_TEXT(rollbackTransaction, "ROLLBACK TRANSACTION")

KIV_SQL_TEXT(dbVersionText, "1.0")
KIV_SQL_TEXT(creatorText, "KIV")

} // namespace AgDbSql
