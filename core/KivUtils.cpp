#include "KivUtils.h"

#include "AFileAction.h"
#include "KivConstants.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QStandardPaths>

#include <chrono>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

struct PlotValueScale {
    const char *unit;
    double min, max, top, step;
};

PlotValueScale plotValueScale(int plotValue)
{
    switch (plotValue) {
    case PlotValueTP: return {"dBTP", -18.0, 10.5, 4.5, 3.0};
    case PlotValueM:
    case PlotValueS:
    case PlotValueI: return {"LU", -18.0, 10.5, 10.5, 3.0};
    default: return {"", 0.0, 0.0, 0.0, 0.0};
    }
}

} // namespace

QString plotValueUnit(int plotValue) { return QString::fromLatin1(plotValueScale(plotValue).unit); }
double plotValueDefaultScaleMin(int plotValue) { return plotValueScale(plotValue).min; }
double plotValueDefaultScaleMax(int plotValue) { return plotValueScale(plotValue).max; }
double plotValueScaleTop(int plotValue) { return plotValueScale(plotValue).top; }
double plotValueScaleStep(int plotValue) { return plotValueScale(plotValue).step; }

QPen plotValuePen(int plotValue)
{
    switch (plotValue) {
    case PlotValueTP: return KivConstants::penTP();
    case PlotValueM: return KivConstants::penM();
    case PlotValueS: return KivConstants::penS();
    case PlotValueI: return KivConstants::penI();
    default: return KivConstants::penFallback();
    }
}

QColor plotValueColor(int plotValue) { return plotValuePen(plotValue).color(); }

double scalePlotValue(double value, int plotValue, double min, double max)
{
    if (plotValue == PlotValueTP || (min == 0.0 && max == 0.0)) {
        min = plotValueDefaultScaleMin(plotValue);
        max = plotValueDefaultScaleMax(plotValue);
    }
    if (!(max - min > 0.0))
        return -1.0;
    return (value - min) * 150.0 / (max - min);
}

int zoomLevelToSeconds(int level)
{
    static const int seconds[kZoomLevelCount] = {30,   60,   300,   600,   1200,  1800,
                                                 2400, 3000, 3600,  7200,  10800, 21600,
                                                 32400, 43200, 86400, 259200};
    if (level < 0 || level >= kZoomLevelCount)
        throw std::out_of_range("zoom level out of range");
    return seconds[level];
}

int zoomLevelToMs(int level) { return zoomLevelToSeconds(level) * 1000; }

int zoomLevelToTickSeconds(int level) { return zoomLevelToSeconds(level) / 6; }

int zoomLevelToSampleIntervalMs(int level)
{
    const int interval = zoomLevelToMs(level) / 512;
    return interval < 101 ? 100 : interval;
}

int zoomLevelToMinSpanMs(int level)
{
    return static_cast<int>(zoomLevelToMs(level) / 30000.0 * 500.0);
}

double msToSeconds(qint64 ms) { return ms / 1000.0; }

qint64 currentUtcMSecs() { return QDateTime::currentMSecsSinceEpoch(); }

qint64 monotonicMSecs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void msToDateTimeStrings(qint64 utcMs, QString &date, QString &time)
{
    dateTimeToStrings(QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC), date, time);
}

void dateTimeToStrings(const QDateTime &dateTime, QString &date, QString &time)
{
    date = dateTime.toString(QStringLiteral("yyyy.MM.dd"));
    time = dateTime.toString(QStringLiteral("hh:mm:ss"));
}

QString formatTimecode(qint64 timecode)
{
    const quint32 high = static_cast<quint32>(static_cast<quint64>(timecode) >> 32);
    auto bits = [high](int from, int count) { return static_cast<int>((high >> from) & ((1u << count) - 1)); };
    const int hours = 10 * bits(30, 2) + bits(26, 4);
    const int minutes = 10 * bits(23, 3) + bits(19, 4);
    const int seconds = 10 * bits(16, 3) + bits(12, 4);
    auto two = [](int v) { return v < 10 ? QStringLiteral("0%1").arg(v) : QString::number(v); };
    return QStringLiteral("%1:%2:%3").arg(two(hours), two(minutes), two(seconds));
}

QString formatTimestampWithTimecode(qint64 utcMs, qint64 timecode)
{
    QString date, time;
    msToDateTimeStrings(utcMs, date, time);
    if (timecode != 0)
        return QStringLiteral("%1 %2 (%3)").arg(date, time, formatTimecode(timecode));
    return QStringLiteral("%1 %2").arg(date, time);
}

qint64 toTimecode(qint64 value) { return value; }

qint64 toTimecode(double value)
{
    const double half = value / 2.0;
    // The half must fit a signed 64-bit integer; anything else is no timecode.
    if (!std::isfinite(half) || half >= 9223372036854775808.0 || half < -9223372036854775808.0)
        return 0;
    const qint64 truncated = static_cast<qint64>(half);
    return static_cast<qint64>(static_cast<quint64>(truncated) * 2u);
}

QString getDocumentsLocation()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString joinPath(const QString &a, const QString &b)
{
    return QDir::cleanPath(a + QDir::separator() + b);
}

QString getDataFolderPath()
{
    return joinPath(joinPath(getDocumentsLocation(), QStringLiteral("NUV")), QStringLiteral("KIV"));
}

QString getDataFolderFilePath(const QString &relativeName)
{
    return joinPath(getDataFolderPath(), relativeName);
}

bool createDataFolder()
{
    const QString path = getDataFolderPath();
    QDir().mkpath(path);
    return QFileInfo(path).isDir();
}

QString getLogBackupFolderPath() { return joinPath(getDataFolderPath(), QStringLiteral("log_backup")); }

namespace {

// The path the file system reaches: every symbolic link resolved, also one whose target does
// not exist yet (writing through it creates the target), and ".." taken after the link
// before it, as the kernel does. Parts that do not exist yet are appended as they are.
QString resolvedPath(const QString &path, int linkBudget = 40)
{
    // Not QDir::absolutePath or QFileInfo: both fold ".." before any link is resolved.
    QString absolute = QDir::fromNativeSeparators(path);
    if (QDir::isRelativePath(absolute))
        absolute = QDir::currentPath() + QLatin1Char('/') + absolute;
    const QStringList parts = absolute.split(QLatin1Char('/'));
    QString resolved = QStringLiteral("/");
    for (const QString &part : parts) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            resolved = QFileInfo(resolved).path();
            continue;
        }
        const QString next = QDir::cleanPath(resolved + QLatin1Char('/') + part);
        const QFileInfo info(next);
        if (info.isSymLink() && linkBudget > 0)
            resolved = resolvedPath(info.symLinkTarget(), --linkBudget);
        else
            resolved = next;
    }
    return resolved;
}

} // namespace

bool isDirectlyInDataFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QString data = resolvedPath(getDataFolderPath());
    const QString file = resolvedPath(path);
    if (!file.startsWith(data + QLatin1Char('/')))
        return false;
    const QString rest = file.mid(data.size() + 1);
    return !rest.isEmpty() && !rest.contains(QLatin1Char('/')) && !rest.contains(QLatin1Char('\\'));
}

bool isInDataFolderTree(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QString data = resolvedPath(getDataFolderPath());
    const QString file = resolvedPath(path);
    return file == data || file.startsWith(data + QLatin1Char('/'));
}

bool isInLogBackupFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
    return resolvedPath(path).startsWith(resolvedPath(getLogBackupFolderPath()) +
                                         QLatin1Char('/'));
}

QString sanitizeFileName(const QString &name)
{
    static const QRegularExpression disallowed(QStringLiteral("[^a-zA-Z0-9]"));
    QString cleaned = name;
    cleaned.remove(QLatin1Char(' '));
    cleaned.replace(disallowed, QStringLiteral("_"));
    return cleaned;
}

QString agDbFileName(const QString &instrumentName, const QString &agName)
{
    return QStringLiteral("%1%2%3%4%5")
        .arg(QStringLiteral("I__"), sanitizeFileName(instrumentName), QStringLiteral("A__"),
             sanitizeFileName(agName), QStringLiteral("_kivDb.db"));
}

QString getAgDbFilePath(const QString &instrumentName, const QString &agName)
{
    return getDataFolderPath() + QDir::separator() + agDbFileName(instrumentName, agName);
}

QString getAgReportsFolderPath(const QString &instrumentName, const QString &agName)
{
    return QDir::cleanPath(getDataFolderPath() + QDir::separator() +
                           argList(QStringLiteral("reports_I__%1_A__%2"),
                                   {sanitizeFileName(instrumentName), sanitizeFileName(agName)}));
}

QString getBackupDbFilePath(const QString &instrumentName, const QString &agName,
                            qint64 programId, qint64 programStart)
{
    const QString name = QStringLiteral("%1%2%3%4%5_%6_%7_%8")
                             .arg(QStringLiteral("I__"), sanitizeFileName(instrumentName),
                                  QStringLiteral("A__"), sanitizeFileName(agName),
                                  QStringLiteral("_bckp"), QString::number(programId),
                                  QString::number(programStart), QStringLiteral("_kivDb.db"));
    return getDataFolderPath() + QDir::separator() + QStringLiteral("log_backup") +
           QDir::separator() + name;
}

QString agDataZoomLevelTableName(int level)
{
    return QStringLiteral("%1%2").arg(QStringLiteral("AgDataZoomLevel")).arg(level);
}

QString documentationFilePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/KIV_documentation.pdf");
}

void openDocumentation(DesktopOpened told)
{
    const QString path = documentationFilePath();
    if (!QFileInfo(path).isFile()) {
        told(false);
        return;
    }
    openOnDesktop(path, std::move(told));
}

QString unescapeXml(const QString &text)
{
    // One left-to-right pass, so "&amp;quot;" stays "&quot;".
    static const struct {
        QLatin1String entity;
        QChar character;
    } entities[] = {{QLatin1String("&lt;"), QLatin1Char('<')},
                    {QLatin1String("&gt;"), QLatin1Char('>')},
                    {QLatin1String("&amp;"), QLatin1Char('&')},
                    {QLatin1String("&apos;"), QLatin1Char('\'')},
                    {QLatin1String("&quot;"), QLatin1Char('"')}};
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size();) {
        bool replaced = false;
        if (text.at(i) == QLatin1Char('&')) {
            for (const auto &e : entities) {
                if (text.midRef(i, e.entity.size()) == e.entity) {
                    out += e.character;
                    i += e.entity.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            out += text.at(i++);
    }
    return out;
}

QString argList(const QString &format, const QStringList &args)
{
    QString result = format;
    for (const QString &arg : args)
        result = result.arg(arg);
    return result;
}

int walkDirectory(const QString &folder, AFileAction *action)
{
    if (!action)
        return 0;
    int result = 0;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::DirsFirst);
    for (const QFileInfo &entry : entries) {
        if (entry.isDir()) {
            if (entry.isSymLink())
                continue;
            const int sub = walkDirectory(entry.absoluteFilePath(), action);
            if (sub != 0)
                result = sub;
        } else {
            const int r = action->execute(entry.absoluteFilePath());
            if (r != 0)
                result = r;
        }
    }
    return result;
}

QPixmap setPixmapAlpha(const QPixmap &pixmap, int alpha)
{
    QPixmap result(pixmap.size());
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawPixmap(0, 0, pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.fillRect(result.rect(), QColor(255, 255, 255, qBound(0, alpha, 255)));
    painter.end();
    return result;
}
