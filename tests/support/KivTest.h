#pragma once

#include <QByteArray>
#include <QMutex>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtTest>

#include <functional>

namespace KivTest {

// Points HOME and the XDG folders at a fresh temporary folder (kept for the process's
// life), so the documents location and the data folder never touch a real one.
void isolateHome();

// Result of a child run of the test executable.
struct ChildResult {
    QProcess::ExitStatus exitStatus = QProcess::NormalExit;
    int exitCode = -1;
    int signal = 0; // the signal that ended it, when known
    QByteArray out;
    QByteArray err;
    bool finished = false;
};

// Lines that fakes write on any thread, in order, for the test to read.
class LineRecorder
{
public:
    void add(const QString &line);
    QStringList lines() const;
    // The lines so far, and none kept.
    QStringList take();

private:
    mutable QMutex m_mutex;
    QStringList m_lines;
};

// This process's children as /proc shows them: pid and state letter ('Z' for a zombie).
QList<QPair<int, QChar>> childProcesses();

// Runs this executable again with KIV_CHILD_SCENARIO set; the child's main runs the
// scenario instead of the tests (see KIV_TEST_MAIN).
ChildResult runChild(const QString &scenario, int timeoutMs = 30000,
                     const QStringList &extraEnv = {});

// The scenario name when this process is a child, else empty.
QString childScenario();

// The process log of a test: a file of its own in a temporary folder kept for the
// process's life.
QString logPath();
// Sets the process log up on logPath() (once) and sets its threshold.
void startLog(int level = 4);
// What the log file holds so far.
QByteArray readLog();

// The process log kept in memory instead (threshold 4), for a test that reads the lines it
// logged; set up on first use. A test uses this or startLog(), not both.
class CapturedLog
{
public:
    QStringList lines() const;
    // How many lines contain the text.
    int count(const QString &needle) const;

private:
    friend class CapturingWriter;
    void append(const QString &line);

    mutable QMutex m_mutex;
    QStringList m_lines;
};
CapturedLog *captureLog();

} // namespace KivTest

// The body of a test main: a fresh home, the application, the test object.
#define KIV_TEST_RUN(TestObject, AppType)                                                          \
    KivTest::isolateHome();                                                                        \
    AppType app(argc, argv);                                                                       \
    app.setAttribute(Qt::AA_Use96Dpi, true);                                                       \
    TestObject tc;                                                                                 \
    QTEST_SET_MAIN_SOURCE_PATH                                                                     \
    return QTest::qExec(&tc, argc, argv);

// A test main that runs a child scenario when asked to, else the test object.
// childRunner: int(const QString&scenario, int argc, char**argv).
#define KIV_TEST_MAIN_WITH(TestObject, AppType, childRunner)                                       \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        if (!KivTest::childScenario().isEmpty())                                                   \
            return childRunner(KivTest::childScenario(), argc, argv);                              \
        KIV_TEST_RUN(TestObject, AppType)                                                          \
    }

#define KIV_TEST_MAIN(TestObject, AppType)                                                         \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        KIV_TEST_RUN(TestObject, AppType)                                                          \
    }
