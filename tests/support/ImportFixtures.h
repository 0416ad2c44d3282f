#pragma once

#include <AgData.h>

#include <QString>
#include <QStringList>

#include <vector>

// Files to import, written from the formats the program reads: its own database (by the
// store's own code), a meter's log database (versions 1.0 with floating-point timecodes
// and 1.1) and a meter's XML export.
namespace ImportFixtures {

constexpr qint64 kT0 = 1700000000000;

// count samples every stepMs from start; a new program (start word 1) every programSamples.
std::vector<AgData> samples(qint64 start, int count, qint64 stepMs = 100,
                            int programSamples = 600, qint64 firstProgramId = 7);

// An own database of the audiogroup (instrument, source) at path, outside the data folder:
// written in the data folder by the store, then moved. withConfig: a "config" row naming
// the audiogroup. False on any failure.
bool writeKivDb(const QString &path, const QString &instrument, const QString &source,
                const std::vector<AgData> &data, bool withConfig = true);

enum class MeterVersion { None, V10, V11 };
// A meter database: "Loudness" (timecode REAL below version 1.1 when realTimecodes), the
// "config" row (source and the configuration of the instrument with the given sources)
// unless sources is empty, and "Version" unless None.
bool writeMeterDb(const QString &path, MeterVersion version, bool realTimecodes,
                  const QString &instrument, const QStringList &sources,
                  const std::vector<AgData> &data);
// More rows into the "Loudness" table of such a file.
bool appendMeterRows(const QString &path, bool realTimecodes, const std::vector<AgData> &data);

// The "LoudnessMeasurement" element of a meter with these audiogroups.
QString measurementXml(const QString &instrument, const QStringList &sources);
// A meter XML export: the configuration and one "AGDataList" per source, each with data.
QString exportXml(const QString &instrument, const QStringList &sources,
                  const std::vector<AgData> &data);
bool writeFile(const QString &path, const QByteArray &bytes);

// The rows of a table as texts, "timestamp|timecode|programId|TP|...|Flags", in time order;
// the timecode of a meter file as the program keeps it.
QStringList sampleRows(const QString &path, const QString &table = QStringLiteral("AgDataZoomLevel0"));
QStringList eventRows(const QString &path);
QString rowOf(const AgData &sample);
QStringList rowsOf(const std::vector<AgData> &data);
// Tables of a file, sorted.
QStringList tables(const QString &path);

} // namespace ImportFixtures
