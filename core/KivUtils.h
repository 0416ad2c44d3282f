#pragma once

#include "DesktopOpener.h"
#include "KivTypes.h"

#include <QColor>
#include <QDateTime>
#include <QPen>
#include <QString>
#include <QStringList>

class AFileAction;
class AgData;
class QPixmap;

// Plot values.
QString plotValueUnit(int plotValue);
double plotValueDefaultScaleMin(int plotValue);
double plotValueDefaultScaleMax(int plotValue);
double plotValueScaleTop(int plotValue);
double plotValueScaleStep(int plotValue);
QPen plotValuePen(int plotValue);
QColor plotValueColor(int plotValue);
// Position of a value on a 0..150 scale; -1.0 when the scale is empty.
double scalePlotValue(double value, int plotValue, double min, double max);

// Zoom levels; a level outside 0..15 throws std::out_of_range.
int zoomLevelToSeconds(int level);
int zoomLevelToMs(int level);
int zoomLevelToTickSeconds(int level);
int zoomLevelToSampleIntervalMs(int level);
int zoomLevelToMinSpanMs(int level);

// Time.
double msToSeconds(qint64 ms);
qint64 currentUtcMSecs();
// A clock that setting the computer's clock does not move: for ages, never for time stamps.
qint64 monotonicMSecs();
void msToDateTimeStrings(qint64 utcMs, QString &date, QString &time);
void dateTimeToStrings(const QDateTime &dateTime, QString &date, QString &time);
QString formatTimecode(qint64 timecode);
QString formatTimestampWithTimecode(qint64 utcMs, qint64 timecode);
qint64 toTimecode(qint64 value);
// Old meter databases store the timecode as a double; NaN, infinities and values out of
// range give 0.
qint64 toTimecode(double value);

// Data folder and file names.
QString getDocumentsLocation();
QString joinPath(const QString &a, const QString &b);
QString getDataFolderPath();
QString getDataFolderFilePath(const QString &relativeName);
bool createDataFolder();
QString getLogBackupFolderPath();
bool isDirectlyInDataFolder(const QString &path);
// The data folder itself or anything below it, as the file system resolves the path
// (symbolic links, "..", folders not made yet).
bool isInDataFolderTree(const QString &path);
// Strictly below "log_backup", resolved in the same way.
bool isInLogBackupFolder(const QString &path);
QString sanitizeFileName(const QString &name);
QString agDbFileName(const QString &instrumentName, const QString &agName);
QString getAgDbFilePath(const QString &instrumentName, const QString &agName);
// Where the reports of one audiogroup are written.
QString getAgReportsFolderPath(const QString &instrumentName, const QString &agName);
// Where the store writes the backup of one program; also the key of a listed backup.
QString getBackupDbFilePath(const QString &instrumentName, const QString &agName,
                            qint64 programId, qint64 programStart);
QString agDataZoomLevelTableName(int level);
// "KIV_documentation.pdf" beside the program.
QString documentationFilePath();
// Opens it on the desktop; `told` as by openOnDesktop, and at once when the file is missing.
void openDocumentation(DesktopOpened told);

// Strings and files.
QString unescapeXml(const QString &text);
QString argList(const QString &format, const QStringList &args);
// Passes every file below the folder to the action; does not follow symlinked folders.
// Returns the last non-zero result of the action, else 0.
int walkDirectory(const QString &folder, AFileAction *action);
QPixmap setPixmapAlpha(const QPixmap &pixmap, int alpha);
