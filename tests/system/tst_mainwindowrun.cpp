// The whole system driven through its main window and dialogs, as a user would, against
// simulated meters on port 80: one in this process, one the meter simulator program, whose
// drop-out is commanded on its standard input.
#include "SystemHarness.h"

#include <KivTest.h>
#include <UserInput.h>

#include <AAddInstrumentView.h>
#include <AAudioGroup.h>
#include <AConfirmationView.h>
#include <AgList.h>
#include <AgListItem.h>
#include <AgViewController.h>
#include <AddInstrumentViewController.h>
#include <ConfirmationViewController.h>
#include <DoubleTextCheckboxButton.h>
#include <KIVAlertBox.h>
#include <InstrumentManager.h>
#include <KivUtils.h>
#include <NUVCheckbox.h>
#include <QTSystemView.h>
#include <SemaphoreWidget.h>
#include <SystemViewController.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <memory>

namespace {

const QString kStudio = QStringLiteral("Studio");
const QString kRadio = QStringLiteral("Radio");
const QString kP1 = QStringLiteral("Program 1");
const QString kP2 = QStringLiteral("Program 2");
const QString kLive = QStringLiteral("Live");
const QString kArchive = QStringLiteral("Archive");
const QString kOld = QStringLiteral("Old");
const QString kAdded = QStringLiteral("Instrument successfully added");

// The meter simulator program on an address of its own, taking commands on its standard
// input.
class MeterProcess
{
public:
    ~MeterProcess()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    bool start(const QString &address, const QString &name, const QString &password,
               const QString &group)
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral(KIV_METERSIM_PATH),
                        {"-a", address, "-p", "80", "-n", name, "-w", password, "-g", group,
                         "--history", "20", "-q"});
        if (!m_process.waitForStarted(10000))
            return false;
        QByteArray out;
        return QTest::qWaitFor(
            [&] {
                out += m_process.readAll();
                return out.contains("listening on");
            },
            10000);
    }

    void command(const QByteArray &line)
    {
        m_process.write(line + '\n');
        m_process.waitForBytesWritten(5000);
    }

private:
    QProcess m_process;
};

using UserInput::clickCentre;
using UserInput::clickCheckBox;

// The audiogroups a data request asked for.
QStringList askedGroups(const MeterSimulator::Request &request)
{
    return request.lastTimestamps.keys();
}

} // namespace

class TestMainWindowRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void addsDevicesThroughTheDialog();
    void startStopAndLoggingBoxChangeWhatIsAsked();
    void droppedOutMeterTurnsItsLightsAndBack();
    void heldBackSamplesShowOnTheLight();
    void deletesThroughTheConfirmation();
    void closingTheWindowEndsTheProgramInOrder();

private:
    QTSystemView *window() const;
    AgList *list() const;
    template <typename T> T *windowChild(const char *name) const
    {
        return window()->findChild<T *>(QString::fromLatin1(name));
    }
    template <typename T> T *rowChild(const QString &instrument, const QString &group,
                                      const char *name) const
    {
        AgListItem *row = list()->findAudioGroupItem(instrument, group);
        return row ? row->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    }
    int connectionLight(const QString &instrument, const QString &group) const;
    QStringList rowTexts() const;
    void closeAlertBoxes();
    void addThroughTheDialog(const QString &address, const QString &password, int added);

    SystemHarness m_harness;
    std::unique_ptr<SimulatedMeter> m_studio;
    std::unique_ptr<MeterProcess> m_radio;
    QString m_radioAddress;
};

void TestMainWindowRun::initTestCase()
{
    if (!SimulatedMeter::canListenOnPort80())
        QSKIP("the meters listen on port 80, which needs root");
    SystemHarness::initGui();

    m_studio = std::make_unique<SimulatedMeter>(0);
    (*m_studio)->setInstrumentName(kStudio);
    (*m_studio)->setPassword(QStringLiteral("pw"));
    (*m_studio)->setAudioGroupNames({kP1, kP2});
    QVERIFY2(m_studio->listen(), qPrintable((*m_studio)->errorString()));

    // An address of its own, beside the in-process meter's.
    m_radioAddress = m_studio->address().section(QLatin1Char('.'), 0, 2) + QStringLiteral(".9");
    m_radio = std::make_unique<MeterProcess>();
    QVERIFY(m_radio->start(m_radioAddress, kRadio, QStringLiteral("radio pw"), kLive));

    // An audiogroup imported earlier, with its database.
    SystemConfig config;
    InstrumentConfig archive(kArchive);
    archive.setIpAdr(QStringLiteral("http://127.0.0.254"));
    AgConfig old(kOld);
    old.setImported(true);
    archive.setAgConfigs({old});
    config.addOrUpdateInstrument(archive);
    QVERIFY(m_harness.start(config));
    QTRY_VERIFY_WITH_TIMEOUT(window() && window()->isVisible(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(getAgDbFilePath(kArchive, kOld)), 10000);
}

void TestMainWindowRun::cleanupTestCase()
{
    QVERIFY(m_harness.stop());
    m_radio.reset();
    m_studio.reset();
}

QTSystemView *TestMainWindowRun::window() const
{
    RecordingSystem *system = m_harness.system();
    return system ? qobject_cast<QTSystemView *>(system->getSystemViewController()->getView())
                  : nullptr;
}

AgList *TestMainWindowRun::list() const
{
    return windowChild<AgList>("list");
}

int TestMainWindowRun::connectionLight(const QString &instrument, const QString &group) const
{
    auto *light = rowChild<SemaphoreWidget>(instrument, group, "statusSemaphore");
    return light ? light->getState() : -1;
}

QStringList TestMainWindowRun::rowTexts() const
{
    QStringList texts;
    for (AgListItem *row : list()->getRows()) {
        texts << QStringLiteral("%1 %2/%3").arg(row->findChild<QLabel *>("indexLabel")->text(),
                                                row->getInstrumentName(),
                                                row->getAgSourceName());
    }
    return texts;
}

void TestMainWindowRun::closeAlertBoxes()
{
    while (!window()->getOpenAlertBoxes().isEmpty()) {
        KIVAlertBox *box = window()->getOpenAlertBoxes().first();
        clickCentre(box->findChild<QPushButton *>("alertDismissButton"));
    }
}

void TestMainWindowRun::addThroughTheDialog(const QString &address, const QString &password,
                                            int added)
{
    clickCentre(windowChild<QWidget>("add"));
    auto *dialog = m_harness.system()->getAddInstrumentViewController()->getView();
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 5000);
    auto *addressField = dialog->findChild<QLineEdit *>("iPLineEdit");
    auto *passwordField = dialog->findChild<QLineEdit *>("pWDLineEdit");
    // What the last use left in the fields is typed over.
    QTest::mouseClick(addressField, Qt::LeftButton);
    addressField->selectAll();
    QTest::keyClicks(addressField, address);
    QTest::mouseClick(passwordField, Qt::LeftButton);
    passwordField->selectAll();
    QTest::keyClicks(passwordField, password);
    QTest::keyClick(passwordField, Qt::Key_Return);

    QTRY_VERIFY_WITH_TIMEOUT(dialog->isHidden(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(m_harness.system()->alerts().count(kAdded) == added, 15000);
    QVERIFY(m_harness.waitForIdle());
    QTRY_VERIFY_WITH_TIMEOUT(!window()->getOpenAlertBoxes().isEmpty(), 5000);
    closeAlertBoxes();
}

void TestMainWindowRun::addsDevicesThroughTheDialog()
{
    QTRY_COMPARE_WITH_TIMEOUT(rowTexts(), QStringList{"1 Archive/Old"}, 5000);
    QVERIFY(rowChild<NUVCheckbox>(kArchive, kOld, "checkBox")->isHidden());
    QVERIFY(!rowChild<QLabel>(kArchive, kOld, "importedIndicator")->isHidden());

    addThroughTheDialog(m_studio->address(), QStringLiteral("pw"), 1);
    QTRY_COMPARE_WITH_TIMEOUT(rowTexts(),
                              QStringList({"1 Archive/Old", "2 Studio/Program 1",
                                           "3 Studio/Program 2"}),
                              5000);
    QCOMPARE(rowChild<QLabel>(kStudio, kP1, "ipLabel")->text(), m_studio->address());
    addThroughTheDialog(m_radioAddress, QStringLiteral("radio pw"), 2);
    QTRY_COMPARE_WITH_TIMEOUT(rowTexts(),
                              QStringList({"1 Archive/Old", "2 Studio/Program 1",
                                           "3 Studio/Program 2", "4 Radio/Live"}),
                              5000);
    QCOMPARE(m_harness.system()->alerts(), QStringList({kAdded, kAdded}));

    // Every new audiogroup logs, and its light turns green.
    for (const auto &group : {qMakePair(kStudio, kP1), qMakePair(kStudio, kP2),
                              qMakePair(kRadio, kLive)}) {
        QTRY_VERIFY_WITH_TIMEOUT(
            storedTimestamps(getAgDbFilePath(group.first, group.second)).size() > 10, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(connectionLight(group.first, group.second), 1, 10000);
        QVERIFY(rowChild<NUVCheckbox>(group.first, group.second, "checkBox")->isChecked());
    }
    QTRY_COMPARE_WITH_TIMEOUT(windowChild<SemaphoreWidget>("globalStatusSemaphore")->getState(), 1,
                              5000);

    // The audiogroup's button asks for that audiogroup's window.
    auto windowOf = [this](const QString &instrument, const QString &group) {
        AAudioGroup *audioGroup =
            m_harness.front()->getInstrumentManager()->findAudioGroup(instrument, group);
        return audioGroup ? dynamic_cast<AgViewController *>(audioGroup->getAgViewController())
                          : nullptr;
    };
    QVERIFY(windowOf(kStudio, kP2) && windowOf(kStudio, kP1));
    QSignalSpy shownP2(windowOf(kStudio, kP2), &AgViewController::show);
    QSignalSpy shownP1(windowOf(kStudio, kP1), &AgViewController::show);
    clickCentre(rowChild<QWidget>(kStudio, kP2, "AgListButton"));
    QTRY_COMPARE_WITH_TIMEOUT(shownP2.count(), 1, 5000);
    QCOMPARE(shownP1.count(), 0);
}

void TestMainWindowRun::startStopAndLoggingBoxChangeWhatIsAsked()
{
    auto *startStop = windowChild<DoubleTextCheckboxButton>("startStop");
    auto dataRequests = [this] { return (*m_studio)->requestCount(QStringLiteral("/getData")); };
    QCOMPARE(startStop->text(), QStringLiteral("STOP"));

    // STOP: the button follows the system, the lights go gray and the meter is asked no more.
    clickCentre(startStop);
    QCOMPARE(startStop->text(), QStringLiteral("STOP"));
    QTRY_COMPARE_WITH_TIMEOUT(startStop->text(), QStringLiteral("START"), 15000);
    QVERIFY(m_harness.waitForIdle());
    QVERIFY(!SystemHarness::storedConfig().getManualAcquisitionOn());
    QTRY_COMPARE_WITH_TIMEOUT(connectionLight(kStudio, kP1), 4, 5000);
    const int stopped = dataRequests();
    // Three seconds, more than a poll interval: the display sleeps while nothing it shows
    // changes, so its updates no longer count time.
    QTest::qWait(3000);
    QVERIFY(dataRequests() <= stopped + 1); // one may have been on its way

    // START: asked again.
    clickCentre(startStop);
    QTRY_COMPARE_WITH_TIMEOUT(startStop->text(), QStringLiteral("STOP"), 15000);
    QVERIFY(m_harness.waitForIdle());
    QTRY_VERIFY_WITH_TIMEOUT(dataRequests() >= stopped + 3, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(connectionLight(kStudio, kP1), 1, 15000);

    // The box of one audiogroup: it keeps showing the configured state until the system
    // reports the change; from then on the meter is asked for the other audiogroup only.
    auto *box = rowChild<NUVCheckbox>(kStudio, kP2, "checkBox");
    clickCheckBox(box);
    QVERIFY(box->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(!box->isChecked(), 15000);
    QVERIFY(m_harness.waitForIdle());
    QVERIFY(!SystemHarness::storedConfig().getAgConfig(kStudio, kP2).getHasLoggingEnabled());
    int from = (*m_studio)->requests().size();
    auto dataRequestsSince = [this](int from) {
        QList<MeterSimulator::Request> since;
        const QList<MeterSimulator::Request> all = (*m_studio)->requests();
        for (int i = from; i < all.size(); ++i) {
            if (all.at(i).path == QLatin1String("/getData"))
                since.append(all.at(i));
        }
        return since;
    };
    QTRY_VERIFY_WITH_TIMEOUT(dataRequestsSince(from).size() >= 3, 15000);
    // The first may have been built before the change arrived.
    for (const MeterSimulator::Request &request : dataRequestsSince(from).mid(1))
        QCOMPARE(askedGroups(request), QStringList{kP1});
    QTRY_COMPARE_WITH_TIMEOUT(connectionLight(kStudio, kP2), 4, 5000);

    clickCheckBox(box);
    QVERIFY(!box->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(box->isChecked(), 15000);
    QVERIFY(m_harness.waitForIdle());
    from = (*m_studio)->requests().size();
    QTRY_VERIFY_WITH_TIMEOUT(
        dataRequestsSince(from).size() >= 2 &&
            askedGroups(dataRequestsSince(from).last()) == QStringList({kP1, kP2}),
        15000);
    QTRY_COMPARE_WITH_TIMEOUT(connectionLight(kStudio, kP2), 1, 15000);
    QCOMPARE(m_harness.system()->alerts(), QStringList({kAdded, kAdded}));
}

void TestMainWindowRun::droppedOutMeterTurnsItsLightsAndBack()
{
    QTRY_COMPARE_WITH_TIMEOUT(connectionLight(kRadio, kLive), 1, 10000);

    // The light's state, sampled as the window shows it.
    QList<QPair<qint64, QString>> seen;
    QElapsedTimer clock;
    auto sample = [&] {
        auto *light = rowChild<SemaphoreWidget>(kRadio, kLive, "statusSemaphore");
        const QString state = light->getState() == 0
                                  ? light->getMessage()
                                  : QString::number(light->getState());
        if (seen.isEmpty() || seen.last().second != state)
            seen.append({clock.elapsed(), state});
    };
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, sample);
    poll.start(100);
    clock.start();
    m_radio->command("dropout 55000");

    // Replies and data stop: late (yellow) after 15 s, counted from the last data, which
    // came at most one request interval before the drop-out; lost (red) once the meter has
    // refused the connection for 30 s, counted from the first refused request, at most one
    // request interval after the drop-out. The window shows each change at its next tick.
    QTRY_VERIFY_WITH_TIMEOUT(connectionLight(kRadio, kLive) == 2, 60000);
    QCOMPARE(windowChild<SemaphoreWidget>("globalStatusSemaphore")->getState(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(connectionLight(kRadio, kLive), 1, 40000);
    const qint64 back = clock.elapsed();
    poll.stop();
    QStringList trace;
    for (const auto &entry : seen)
        trace << QStringLiteral("%1 ms: %2").arg(entry.first).arg(entry.second);
    const QString shown = trace.join(QStringLiteral("; "));
    // The green after the return may or may not have been sampled before the wait ended.
    if (seen.size() == 4 && seen.last().second == QLatin1String("1"))
        seen.removeLast();
    QVERIFY2(seen.size() == 3, qPrintable(shown));
    QVERIFY2(seen.at(0).second == QLatin1String("1"), qPrintable(shown));
    QVERIFY2(seen.at(1).second == QLatin1String("3") && seen.at(1).first >= 13000 &&
                 seen.at(1).first <= 20000,
             qPrintable(shown));
    QVERIFY2(seen.at(2).second == QLatin1String("2") && seen.at(2).first >= 30000 &&
                 seen.at(2).first <= 37000,
             qPrintable(shown));
    QVERIFY2(back >= 55000, qPrintable(QString::number(back)));
    // The other meter went on logging meanwhile.
    QCOMPARE(connectionLight(kStudio, kP1), 1);
    QTRY_COMPARE_WITH_TIMEOUT(windowChild<SemaphoreWidget>("globalStatusSemaphore")->getState(), 1,
                              5000);
}

// One sample a minute ahead is stored for one audiogroup; the meter's samples after it are
// held back until their time passes it. The meter answers all along, but with nothing stored the
// light turns yellow, like the light after SUM, and green again once samples are stored.
void TestMainWindowRun::heldBackSamplesShowOnTheLight()
{
    QTRY_COMPARE_WITH_TIMEOUT(connectionLight(kStudio, kP2), 1, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(windowChild<SemaphoreWidget>("globalStatusSemaphore")->getState(), 1,
                              10000);
    // Three replies: one of them lists the audiogroup.
    (*m_studio)->injectFault(MeterSimulator::FaultFutureSample, 3, QStringLiteral("/getData"), 60);
    QTRY_COMPARE_WITH_TIMEOUT(connectionLight(kStudio, kP2), 3, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(windowChild<SemaphoreWidget>("globalStatusSemaphore")->getState(), 3,
                              5000);
    QTRY_COMPARE_WITH_TIMEOUT(connectionLight(kStudio, kP2), 1, 90000);
    QCOMPARE(connectionLight(kStudio, kP1), 1);
}

void TestMainWindowRun::deletesThroughTheConfirmation()
{
    auto *confirmation = m_harness.system()->getConfirmationViewController()->getView();
    auto select = [this](const QList<QPair<QString, QString>> &groups) {
        list()->clearSelection();
        for (const auto &group : groups) {
            AgListItem *row = list()->findAudioGroupItem(group.first, group.second);
            const QRect area = list()->visualItemRect(row->getListWidgetItem());
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              area.center());
        }
    };
    auto *yes = confirmation->findChild<QPushButton *>("okButton");
    auto *no = confirmation->findChild<QPushButton *>("cancelButton");
    const QString question =
        QStringLiteral("Are you sure you want to delete the selected audiogroups?");

    // Refused: nothing changes, nothing is said.
    select({{kStudio, kP1}});
    clickCentre(windowChild<QWidget>("remove"));
    QTRY_VERIFY_WITH_TIMEOUT(confirmation->isVisible(), 5000);
    QCOMPARE(confirmation->findChild<QLabel *>("confirmationMessage")->text(), question);
    QCOMPARE(no->text(), QStringLiteral("No"));
    clickCentre(no);
    QTRY_VERIFY_WITH_TIMEOUT(confirmation->isHidden(), 5000);
    QVERIFY(m_harness.waitForIdle());
    QCOMPARE(list()->count(), 4);

    // Confirmed: a logged audiogroup and an imported one go; the instrument left without
    // audiogroups goes with them.
    select({{kArchive, kOld}, {kStudio, kP2}});
    clickCentre(windowChild<QWidget>("remove"));
    QTRY_VERIFY_WITH_TIMEOUT(confirmation->isVisible(), 5000);
    QCOMPARE(yes->text(), QStringLiteral("Yes"));
    clickCentre(yes);
    QVERIFY(m_harness.waitForAlert(QStringLiteral("Successfully deleted audiogroups")));
    QTRY_VERIFY_WITH_TIMEOUT(confirmation->isHidden(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(rowTexts(), QStringList({"1 Studio/Program 1", "2 Radio/Live"}),
                              5000);
    QTRY_VERIFY_WITH_TIMEOUT(!window()->getOpenAlertBoxes().isEmpty(), 5000);
    closeAlertBoxes();

    // The imported database goes once its controller has ended; the logged one stays.
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(getAgDbFilePath(kArchive, kOld)), 10000);
    QVERIFY(QFile::exists(getAgDbFilePath(kStudio, kP2)));
    const SystemConfig stored = SystemHarness::storedConfig();
    QVERIFY(!stored.hasInstrument(kArchive));
    QVERIFY(!stored.hasAgConfig(kStudio, kP2));
    QVERIFY(stored.hasAgConfig(kStudio, kP1));
}

void TestMainWindowRun::closingTheWindowEndsTheProgramInOrder()
{
    const QString path = getAgDbFilePath(kStudio, kP1);
    QTRY_VERIFY_WITH_TIMEOUT(storedTimestamps(path).size() > 0, 5000);
    const qint64 closedAt = QDateTime::currentMSecsSinceEpoch();

    // The frame's close button ends the program, not just the window; every sample
    // fetched until then is stored, in order.
    QVERIFY(!window()->close());
    SystemController *controller = m_harness.system()->getSystemController();
    QTRY_VERIFY_WITH_TIMEOUT(controller->isFinished(), 30000);
    QVERIFY(window()->isHidden());
    QCOMPARE(gapsOrDuplicates(path), QString());
    QVERIFY(storedTimestamps(path).last() >= closedAt - 10000);
}

KIV_TEST_MAIN(TestMainWindowRun, QApplication)
#include "tst_mainwindowrun.moc"
