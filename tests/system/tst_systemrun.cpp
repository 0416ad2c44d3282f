#include <KivTest.h>

#include <ASplashScreen.h>
#include <ASystemView.h>
#include <AlertManager.h>
#include <BackupController.h>
#include <ClosingPleaseWaitDialog.h>
#include <KIVAlertBox.h>
#include <KivConstants.h>
#include <KivProgram.h>
#include <KivUtils.h>
#include <NUVNetworkAccessManager.h>
#include <SMTPManager.h>
#include <SMTPTestController.h>
#include <System.h>
#include <SystemConfigXml.h>
#include <SystemJanitor.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QString flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// Reports the text of the first alert box shown, then closes.
int reportAlertAndClose(int argc, char **argv)
{
    ProgramHooks hooks;
    hooks.started = [](System &) {
        auto *poll = new QTimer(QCoreApplication::instance());
        QElapsedTimer waited;
        waited.start();
        QObject::connect(poll, &QTimer::timeout, [poll, waited] {
            bool shown = false;
            const QWidgetList windows = QApplication::topLevelWidgets();
            for (QWidget *window : windows) {
                auto *box = qobject_cast<KIVAlertBox *>(window);
                if (!box || !box->isVisible())
                    continue;
                const auto *label = box->findChild<QLabel *>(QStringLiteral("alertTextLabel"));
                say(QStringLiteral("alert %1").arg(label ? label->text().simplified() : QString()));
                shown = true;
            }
            if (shown || waited.elapsed() > 20000) {
                poll->stop();
                ASystem::instance()->close();
            }
        });
        poll->start(50);
    };
    return runProgram(argc, argv, hooks);
}

// The whole program in this process: it closes itself through the system front and
// reports what it saw on standard output.
int childRunner(const QString &scenario, int argc, char **argv)
{
    if (scenario == QLatin1String("alert"))
        return reportAlertAndClose(argc, argv);
    ProgramHooks hooks;
    if (scenario == QLatin1String("quit-at-once")) {
        hooks.started = [](System &system) {
            say(QStringLiteral("closing-dialog-hidden %1")
                    .arg(flag(!system.getClosingDialog()->isVisible())));
            QTimer::singleShot(0, [] { ASystem::instance()->close(); });
        };
    } else {
        // Each look waits for what it checks, up to a bound far beyond any machine's pace, and
        // reports what it then sees; the program runs for at least 2.5 s.
        hooks.started = [](System &system) {
            say(QStringLiteral("closing-dialog-hidden %1")
                    .arg(flag(!system.getClosingDialog()->isVisible())));
            auto *poll = new QTimer(QCoreApplication::instance());
            QElapsedTimer running;
            running.start();
            auto step = std::make_shared<int>(0);
            QObject::connect(poll, &QTimer::timeout, [poll, running, step, &system] {
                constexpr qint64 kBoundMs = 60000;
                const bool late = running.elapsed() > kBoundMs * (*step + 1);
                const bool shown = system.getSystemViewController()->getView()->isVisible();
                const bool splash = system.getSplashScreen()->isVisible();
                const bool timer = system.getSystemViewController()->isUpdateTimerActive();
                if (*step == 0 && ((shown && !splash && timer) || late)) {
                    say(QStringLiteral("main-window-shown %1").arg(flag(shown)));
                    say(QStringLiteral("splash-hidden-after-start %1").arg(flag(!splash)));
                    say(QStringLiteral("status-timer %1").arg(flag(timer)));
                    ASystem::instance()->showAboutWindow();
                    *step = 1;
                } else if (*step == 1 && (splash || late)) {
                    say(QStringLiteral("about-shows-splash %1").arg(flag(splash)));
                    *step = 2;
                } else if (*step == 2 && running.elapsed() >= 2500) {
                    poll->stop();
                    ASystem::instance()->close();
                }
            });
            poll->start(50);
        };
    }
    hooks.finished = [](System &system) {
        say(QStringLiteral("controller-state %1").arg(system.getSystemController()->getState()));
        say(QStringLiteral("controller-finished %1")
                .arg(flag(system.getSystemController()->isFinished())));
        say(QStringLiteral("network-finished %1")
                .arg(flag(!system.getNetworkAccessManager()->isRunning())));
        say(QStringLiteral("janitor-finished %1")
                .arg(flag(!system.getSystemJanitor()->isRunning())));
        say(QStringLiteral("alerts-stopped %1").arg(flag(system.getAlertManager()->isStopped())));
        say(QStringLiteral("smtp-stopped %1")
                .arg(flag(system.getSMTPManager()->areControllersStopped())));
        say(QStringLiteral("smtp-test-stopped %1")
                .arg(flag(system.getSMTPTestController()->isStopped())));
        say(QStringLiteral("backup-stopped %1")
                .arg(flag(system.getBackupController()->isStopped())));
        say(QStringLiteral("splash-hidden %1").arg(flag(!system.getSplashScreen()->isVisible())));
        say(QStringLiteral("main-window-hidden %1")
                .arg(flag(!system.getSystemViewController()->getView()->isVisible())));
        say(QStringLiteral("manual-acquisition %1")
                .arg(flag(system.getSystemConfig().getManualAcquisitionOn())));
    };
    return runProgram(argc, argv, hooks);
}

QStringList logEntries()
{
    QFile file(getDataFolderFilePath(QStringLiteral("log.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList messages;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String(": ")))
            messages.append(line.mid(2));
    }
    return messages;
}

} // namespace

class TestSystemRun : public QObject
{
    Q_OBJECT
private slots:
    void runsAndClosesInOrder_data();
    void runsAndClosesInOrder();
    void damagedConfigIsSetAsideAndTold();
};

void TestSystemRun::runsAndClosesInOrder_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<bool>("autoStart");

    QTest::newRow("run a while") << "run" << true;
    QTest::newRow("run without auto start") << "run" << false;
    QTest::newRow("quit at once") << "quit-at-once" << true;
}

void TestSystemRun::runsAndClosesInOrder()
{
    QFETCH(QString, scenario);
    QFETCH(bool, autoStart);

    // A fresh start empties what an earlier run left.
    QVERIFY(createDataFolder());
    {
        QFile stale(getDataFolderFilePath(QStringLiteral("log.txt")));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("stale entry\n");
    }
    SystemConfig config;
    config.setAutoStartLogging(autoStart);
    config.setManualAcquisitionOn(true);
    QCOMPARE(saveSystemConfigToFile(config, QStringLiteral("_config.xml")), 0);

    const KivTest::ChildResult child = KivTest::runChild(scenario, 180000);
    QVERIFY2(child.finished, child.err.constData());
    QCOMPARE(child.exitStatus, QProcess::NormalExit);
    QCOMPARE(child.exitCode, 0);

    const QStringList report = QString::fromUtf8(child.out).split(QLatin1Char('\n'));
    QStringList expected{"closing-dialog-hidden 1", "controller-state 3",  "controller-finished 1",
                         "network-finished 1",      "janitor-finished 1",  "alerts-stopped 1",
                         "smtp-stopped 1",          "smtp-test-stopped 1", "backup-stopped 1",
                         "splash-hidden 1",         "main-window-hidden 1"};
    expected << QStringLiteral("manual-acquisition %1").arg(autoStart ? 1 : 0);
    if (scenario == QLatin1String("run"))
        expected << "main-window-shown 1"
                 << "splash-hidden-after-start 1"
                 << "status-timer 1"
                 << "about-shows-splash 1";
    for (const QString &line : expected)
        QVERIFY2(report.contains(line), qPrintable(line + QStringLiteral(" missing in:\n") +
                                                   QString::fromUtf8(child.out)));

    const QStringList log = logEntries();
    QVERIFY(!log.contains(QStringLiteral("stale entry")));
    const QStringList order{"Set LogLevel to 4",
                            KivConstants::buildString(),
                            "InstrumentManager initialized",
                            "GUI initialized",
                            "InstrumentManager async unpause",
                            "SystemController initialization complete",
                            "SystemController loop running",
                            "SystemController loop ended"};
    int at = -1;
    for (const QString &line : order) {
        const int found = log.indexOf(line, at + 1);
        QVERIFY2(found > at, qPrintable(line + QStringLiteral(" not in order in:\n") +
                                        log.join(QLatin1Char('\n'))));
        at = found;
    }
    QCOMPARE(log.first(), QStringLiteral("Set LogLevel to 4"));
    QVERIFY(!log.contains(QStringLiteral("CRITICAL INIT FAILURE")));
}

void TestSystemRun::damagedConfigIsSetAsideAndTold()
{
    QDir(getDataFolderPath()).removeRecursively();
    QVERIFY(createDataFolder());
    const QString path = getDataFolderFilePath(QStringLiteral("_config.xml"));
    for (int start = 1; start <= 2; ++start) {
        const QByteArray damaged = "<SystemConfig><Instruments>" + QByteArray::number(start);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(damaged);
        file.close();

        const KivTest::ChildResult child = KivTest::runChild(QStringLiteral("alert"), 45000);
        QVERIFY2(child.finished, child.err.constData());
        QCOMPARE(child.exitCode, 0);
        const QStringList alerts =
            QString::fromUtf8(child.out).split(QLatin1Char('\n')).filter(QStringLiteral("alert "));
        QCOMPARE(alerts.size(), 1);
        QVERIFY2(alerts.first().contains(QStringLiteral("could not be read")),
                 qPrintable(alerts.first()));

        const QStringList kept = QDir(getDataFolderPath())
                                     .entryList({QStringLiteral("_config.xml.*.bad")},
                                                QDir::Files, QDir::Name);
        QCOMPARE(kept.size(), start);
        // The box names the copy; its path may break after a separator.
        QString said = alerts.first();
        const QString copy = said.remove(QChar(0x200B)).section(QStringLiteral("is kept as "), 1);
        QVERIFY2(kept.contains(QFileInfo(copy).fileName()), qPrintable(said));
        QFile keptFile(copy);
        QVERIFY(keptFile.open(QIODevice::ReadOnly));
        QCOMPARE(keptFile.readAll(), damaged);
    }

    // A refused port is told, and stays in the file rather than the stand-in the program
    // used meanwhile: the next start must not log to a port nobody chose.
    InstrumentConfig instrument(QStringLiteral("Meter"));
    instrument.setAgConfigs({AgConfig(QStringLiteral("P1"))});
    instrument.setIpAdr(QStringLiteral("http://127.0.0.1"));
    instrument.setPort(QStringLiteral("99999"));
    SystemConfig config;
    config.setInstruments({instrument});
    QCOMPARE(saveSystemConfigToFile(config, QStringLiteral("_config.xml")), 0);
    const KivTest::ChildResult child = KivTest::runChild(QStringLiteral("alert"), 45000);
    QVERIFY2(child.finished, child.err.constData());
    QVERIFY2(child.out.contains("99999"), child.out.constData());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("<Port>99999</Port>"));
}

KIV_TEST_MAIN_WITH(TestSystemRun, QApplication, childRunner)
#include "tst_systemrun.moc"
