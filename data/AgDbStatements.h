#pragma once

#include <QString>

// SQL texts of an audiogroup database file, built once on first use and never changed.
// "%1" stands for a level table's name (agDataZoomLevelTableName). Import and export read
// the same files with the same texts.
namespace AgDbSql {

// Tables.
const QString &createLevelTable();
const QString &createEventsTable();
const QString &createConfigTable();
const QString &createVersionTable();

// Per level table ("%1"); :from is parameter 1, :to parameter 2.
const QString &insertLevelRow();
const QString &deleteLevelRange();
const QString &selectLevelRange();
const QString &selectLevelNewest();
const QString &selectLevelOldest();
const QString &selectLevelCount();

// Events, config and Version.
const QString &selectAllEvents();
const QString &selectEventsRange();
const QString &insertEvent();
const QString &deleteEventsRange();
const QString &insertConfig();
const QString &selectLatestConfig();
const QString &insertVersion();
const QString &selectVersionCount();

// Transactions.
const QString &beginTransaction();
const QString &commitTransaction();
const QString &rollbackTransaction();

// The Version row's fixed values; the creator version is the build string.
const QString &dbVersionText();
const QString &creatorText();

} // namespace AgDbSql
