#include "SystemHarness.h"

#include <Alert.h>
#include <AddInstrumentViewController.h>
#include <ConfirmationViewController.h>
#include <GUIFactory.h>
#include <InstrumentManager.h>
#include <KivUtils.h>
#include <SystemConfigXml.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QTcpServer>
#include <QtTest>

#include <sqlite3.h>

void RecordingSystem::showAlert(const QString &text)
{
    {
        QMutexLocker lock(&m_mutex);
        m_alerts.append(text);
    }
    System::showAlert(text);
}

void RecordingSystem::setSystemConfig(const SystemConfig &config)
{
    InstrumentManager *manager = getInstrumentManager();
    const bool paused = !manager || manager->areAllPaused();
    {
        QMutexLocker lock(&m_mutex);
        m_paused.append(paused);
    }
    System::setSystemConfig(config);
}

void RecordingSystem::addAlert(const Alert &alert)
{
    {
        QMutexLocker lock(&m_mutex);
        m_raised.append(alert.getDescription());
    }
    System::addAlert(alert);
}

QStringList RecordingSystem::raisedAlerts() const
{
    QMutexLocker lock(&m_mutex);
    return m_raised;
}

QStringList RecordingSystem::alerts() const
{
    QMutexLocker lock(&m_mutex);
    return m_alerts;
}

QStringList RecordingSystem::pleaseWaitTexts() const
{
    QMutexLocker lock(&m_mutex);
    return m_pleaseWait;
}

void RecordingSystem::recordPleaseWait(const QString &text)
{
    QMutexLocker lock(&m_mutex);
    m_pleaseWait.append(text);
}

QList<bool> RecordingSystem::pausedWhenApplied() const
{
    QMutexLocker lock(&m_mutex);
    return m_paused;
}

SimulatedMeter::SimulatedMeter(int index) : m_meter(new MeterSimulator), m_address(addressOf(index))
{
    // Stamps follow this computer's clock, which a CI machine was seen to step 23 s ahead:
    // a history of 20 s then lost samples the program had not yet been late for.
    m_meter->setHistoryMs(120000);
    m_meter->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_meter, &QObject::deleteLater);
    m_thread.start();
}

SimulatedMeter::~SimulatedMeter()
{
    m_meter->close();
    m_thread.quit();
    m_thread.wait();
}

bool SimulatedMeter::listen(quint16 port)
{
    return m_meter->listen(QHostAddress(m_address), port);
}

QString SimulatedMeter::addressOf(int index)
{
    // Any 127.x address is this machine; one of our own keeps clear of other tests.
    const qint64 pid = QCoreApplication::applicationPid();
    return QStringLiteral("127.%1.%2.%3")
        .arg(pid % 200 + 20)
        .arg(pid / 200 % 250 + 2)
        .arg(index + 2);
}

bool SimulatedMeter::canListenOnPort80()
{
    QTcpServer probe;
    return probe.listen(QHostAddress(addressOf(-1)), 80);
}

SystemHarness::SystemHarness() = default;

SystemHarness::~SystemHarness()
{
    stop();
}

void SystemHarness::initGui()
{
    GUIFactory::getInstance()->init();
}

namespace {
#ifdef KIV_SANITIZED
// Under the sanitizers each audiogroup takes seconds to start; 20 of them need more.
constexpr int kStartLimitMs = 120000;
#else
constexpr int kStartLimitMs = 15000;
#endif
} // namespace

bool SystemHarness::start(const SystemConfig &config, const std::function<void()> &prepare)
{
    stop();
    QDir(getDataFolderPath()).removeRecursively();
    if (!createDataFolder() || saveSystemConfigToFile(config, QStringLiteral("_config.xml")) != 0)
        return false;
    if (prepare)
        prepare();
    m_system = std::make_unique<RecordingSystem>();
    RecordingSystem *system = m_system.get();
    ASystem::setInstance(system);
    QObject::connect(system->getAddInstrumentViewController(),
                     &AddInstrumentViewController::showPleaseWaitDialog,
                     [system](const QString &text) { system->recordPleaseWait(text); });
    QObject::connect(system->getConfirmationViewController(),
                     &ConfirmationViewController::showPleaseWait,
                     [system](const QString &text) { system->recordPleaseWait(text); });
    system->start();
    return QTest::qWaitFor(
        [system] {
            return system->getSystemController()->getState() == SystemController::StateRunning &&
                   system->getInstrumentManager();
        },
        kStartLimitMs);
}

bool SystemHarness::stop()
{
    if (!m_system)
        return true;
    m_system->close();
    SystemController *controller = m_system->getSystemController();
    const bool ended = QTest::qWaitFor([controller] { return controller->isFinished(); }, 30000);
    // The closing dialog learns of the end through a queued signal.
    QCoreApplication::processEvents();
    if (ended) {
        ASystem::setInstance(nullptr);
        m_system.reset();
    }
    return ended;
}

bool SystemHarness::waitForAlert(const QString &text, int timeoutMs) const
{
    RecordingSystem *system = m_system.get();
    return system &&
           QTest::qWaitFor([system, &text] { return system->alerts().contains(text); }, timeoutMs);
}

bool SystemHarness::waitForIdle(int timeoutMs) const
{
    RecordingSystem *system = m_system.get();
    return system &&
           QTest::qWaitFor(
               [system] {
                   return system->getSystemController()->getConfigController().operationCount() ==
                          0;
               },
               timeoutMs);
}

bool SystemHarness::applyAndWait(const std::function<int()> &post, int operations) const
{
    RecordingSystem *system = m_system.get();
    if (!system)
        return false;
    const int before = system->pausedWhenApplied().size();
    if (post() != 0)
        return false;
    // A change is applied while its operation is still queued, so idle means it has ended.
    return QTest::qWaitFor(
               [system, before, operations] {
                   return system->pausedWhenApplied().size() >= before + operations;
               },
               20000) &&
           waitForIdle();
}

SystemConfig SystemHarness::storedConfig()
{
    return loadSystemConfigFromFile(QStringLiteral("_config.xml"));
}

namespace {

template <typename RowFn> bool query(const QString &path, const char *sql, RowFn row)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_busy_timeout(db, 2000);
    sqlite3_stmt *statement = nullptr;
    bool ok = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK;
    while (ok && sqlite3_step(statement) == SQLITE_ROW)
        row(statement);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return ok;
}

} // namespace

QList<qint64> storedTimestamps(const QString &path)
{
    QList<qint64> stamps;
    query(path, "SELECT timestamp FROM AgDataZoomLevel0 ORDER BY timestamp",
          [&stamps](sqlite3_stmt *s) { stamps.append(sqlite3_column_int64(s, 0)); });
    return stamps;
}

QString gapsOrDuplicates(const QString &path)
{
    const QList<qint64> stamps = storedTimestamps(path);
    for (int i = 1; i < stamps.size(); ++i) {
        if (stamps[i] - stamps[i - 1] != 100)
            return QStringLiteral("%1: %2 then %3")
                .arg(QFileInfo(path).fileName())
                .arg(stamps[i - 1])
                .arg(stamps[i]);
    }
    return QString();
}

QString storedConfigText(const QString &path)
{
    QString text;
    query(path, "SELECT rawXml FROM config ORDER BY timestamp DESC LIMIT 1",
          [&text](sqlite3_stmt *s) {
              text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
          });
    return text;
}
