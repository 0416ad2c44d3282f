#include "KivTest.h"

#include <ORQLogging.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <cstdlib>
#include <sys/wait.h>

namespace KivTest {

void isolateHome()
{
    QByteArray base = qgetenv("TMPDIR");
    if (base.isEmpty())
        base = "/tmp";
    QByteArray pattern = base + "/kivhome.XXXXXX";
    char *dir = mkdtemp(pattern.data());
    if (!dir)
        qFatal("cannot create a temporary home");
    const QByteArray home(dir);
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    QDir().mkpath(QString::fromLocal8Bit(home + "/Documents"));
    QDir().mkpath(QString::fromLocal8Bit(home + "/.config"));
}

void LineRecorder::add(const QString &line)
{
    QMutexLocker lock(&m_mutex);
    m_lines << line;
}

QStringList LineRecorder::lines() const
{
    QMutexLocker lock(&m_mutex);
    return m_lines;
}

QStringList LineRecorder::take()
{
    QMutexLocker lock(&m_mutex);
    QStringList lines;
    lines.swap(m_lines);
    return lines;
}

QList<QPair<int, QChar>> childProcesses()
{
    QList<QPair<int, QChar>> found;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks, so read after its ')'.
        const QString text = QString::fromLatin1(stat.readAll());
        const QStringList fields =
            text.mid(text.lastIndexOf(QLatin1Char(')')) + 2).split(QLatin1Char(' '));
        if (fields.size() > 1 && fields.at(1) == self)
            found << qMakePair(pid, fields.at(0).at(0));
    }
    return found;
}

QString childScenario() { return QString::fromLocal8Bit(qgetenv("KIV_CHILD_SCENARIO")); }

QString logPath()
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("log.txt"));
}

void startLog(int level)
{
    static ORQ::CORQExeLogging setup(logPath().toLocal8Bit().constData());
    ORQ::setLogLevel(level);
}

QByteArray readLog()
{
    QFile file(logPath());
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

class CapturingWriter : public ORQ::CORQWriter
{
public:
    explicit CapturingWriter(CapturedLog *log) : m_log(log) {}
    void write(int, const std::string &text) override
    {
        m_log->append(QString::fromStdString(text));
    }

private:
    CapturedLog *m_log;
};

QStringList CapturedLog::lines() const
{
    QMutexLocker lock(&m_mutex);
    return m_lines;
}

int CapturedLog::count(const QString &needle) const
{
    QMutexLocker lock(&m_mutex);
    int n = 0;
    for (const QString &line : m_lines)
        n += line.contains(needle) ? 1 : 0;
    return n;
}

void CapturedLog::append(const QString &line)
{
    QMutexLocker lock(&m_mutex);
    m_lines.append(line);
}

CapturedLog *captureLog()
{
    static CapturedLog *log = [] {
        auto *captured = new CapturedLog();
        auto *logger = new ORQ::CORQLogger();
        logger->addWriter(new CapturingWriter(captured));
        logger->setLogLevel(4);
        ORQ::gLogger.store(logger);
        return captured;
    }();
    return log;
}

ChildResult runChild(const QString &scenario, int timeoutMs, const QStringList &extraEnv)
{
    ChildResult result;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KIV_CHILD_SCENARIO"), scenario);
    for (const QString &entry : extraEnv) {
        const int eq = entry.indexOf(QLatin1Char('='));
        if (eq > 0)
            env.insert(entry.left(eq), entry.mid(eq + 1));
    }
    process.setProcessEnvironment(env);
    process.start(QCoreApplication::applicationFilePath(), QStringList());
    if (!process.waitForStarted(10000))
        return result;
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.exitStatus = process.exitStatus();
    result.exitCode = process.exitCode();
    if (result.exitStatus == QProcess::CrashExit)
        result.signal = process.exitCode(); // Qt reports the signal number as the code
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace KivTest
