// The whole system with a simulated meter: an audiogroup's window opened from the main
// window asks its store for data, its snapshots follow what is logged, and closing it stops
// them.
#include "SystemHarness.h"

#include <KivTest.h>
#include <UserInput.h>

#include <AAgView.h>
#include <AAudioGroup.h>
#include <AgDataVector.h>
#include <AgList.h>
#include <AgListItem.h>
#include <AgViewController.h>
#include <InstrumentManager.h>
#include <KivUtils.h>
#include <QTSystemView.h>
#include <SystemViewController.h>

#include <QMutex>
#include <QtTest>

#include <memory>

namespace {

const QString kStudio = QStringLiteral("Studio");
const QString kProgram = QStringLiteral("Program 1");

struct Seen
{
    qint64 newest;
    int samples; // -1: no block
    bool live;
};

} // namespace

class TestAgViewRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void openedWindowFollowsTheLoggedSamples();

private:
    SystemHarness m_harness;
    std::unique_ptr<SimulatedMeter> m_meter;
};

void TestAgViewRun::initTestCase()
{
    SystemHarness::initGui();
    m_meter = std::make_unique<SimulatedMeter>(0);
    (*m_meter)->setInstrumentName(kStudio);
    (*m_meter)->setPassword(QStringLiteral("pw"));
    (*m_meter)->setAudioGroupNames({kProgram});
    (*m_meter)->setHistoryMs(20000);
    QVERIFY2(m_meter->listen(0), qPrintable((*m_meter)->errorString()));

    SystemConfig config;
    config.setAcquisitionTimeout(2000);
    InstrumentConfig studio(kStudio);
    studio.setIpAdr(QStringLiteral("http://") + m_meter->address());
    studio.setPort(QString::number((*m_meter)->port()));
    studio.setPass(QStringLiteral("pw"));
    studio.setConfigurationID((*m_meter)->configurationId());
    AgConfig group;
    group.setName(kProgram);
    studio.setAgConfigs({group});
    config.setInstruments({studio});
    QVERIFY(m_harness.start(config));
}

void TestAgViewRun::cleanupTestCase()
{
    QVERIFY(m_harness.stop());
    m_meter.reset();
}

void TestAgViewRun::openedWindowFollowsTheLoggedSamples()
{
    const QString path = getAgDbFilePath(kStudio, kProgram);
    QTRY_VERIFY_WITH_TIMEOUT(storedTimestamps(path).size() > 10, 20000);

    AAudioGroup *audioGroup =
        m_harness.front()->getInstrumentManager()->findAudioGroup(kStudio, kProgram);
    QVERIFY(audioGroup);
    auto *controller = dynamic_cast<AgViewController *>(audioGroup->getAgViewController());
    QVERIFY(controller && controller->getView());
    AAgView *view = controller->getView();

    // What each snapshot carries, seen as it is sent (on the GUI thread).
    QMutex mutex;
    QList<Seen> seen;
    const QMetaObject::Connection watch = connect(
        controller, &AgViewController::updateUi, this,
        [&](const PlotUIData &data) {
            const AgDataVector *block = data.getSampleBlock();
            QMutexLocker lock(&mutex);
            seen.append({data.getSecondTimestamp(), block ? block->size() : -1,
                         data.isLiveMode()});
        },
        Qt::DirectConnection);
    const auto unwatch = qScopeGuard([&] { disconnect(watch); });
    auto snapshots = [&] {
        QMutexLocker lock(&mutex);
        return seen;
    };
    QVERIFY(!controller->isUpdateTimerActive());

    // The audiogroup's button in the main window opens its window.
    auto *window =
        qobject_cast<QTSystemView *>(m_harness.system()->getSystemViewController()->getView());
    QVERIFY(window);
    auto *list = window->findChild<AgList *>(QStringLiteral("list"));
    QVERIFY(list);
    QTRY_VERIFY_WITH_TIMEOUT(list->findAudioGroupItem(kStudio, kProgram), 5000);
    AgListItem *row = list->findAudioGroupItem(kStudio, kProgram);
    UserInput::clickCentre(row->findChild<QWidget *>(QStringLiteral("AgListButton")));
    QTRY_VERIFY_WITH_TIMEOUT(view->isVisible(), 5000);
    QTRY_VERIFY(controller->isUpdateTimerActive());

    // The first answers give the stored limits; live, the newest time moves with the log.
    QTRY_VERIFY_WITH_TIMEOUT(!snapshots().isEmpty() && snapshots().last().newest > 0, 5000);
    emit view->startPauseClick(true);
    const qint64 firstNewest = snapshots().last().newest;
    QTRY_VERIFY_WITH_TIMEOUT(snapshots().last().live && snapshots().last().newest > firstNewest,
                             15000);
    const QList<qint64> stored = storedTimestamps(path);
    for (const Seen &shot : snapshots()) {
        if (shot.newest > 0)
            QVERIFY2(stored.contains(shot.newest), qPrintable(QString::number(shot.newest)));
    }
    int withSamples = 0;
    for (const Seen &shot : snapshots())
        withSamples += shot.samples > 0 ? 1 : 0;
    QVERIFY(withSamples > 0);

    // Closed by its frame: hidden, and no more snapshots while the log goes on.
    view->close();
    QTRY_VERIFY(!view->isVisible());
    QTRY_VERIFY(!controller->isUpdateTimerActive());
    const int sent = snapshots().size();
    const int logged = storedTimestamps(path).size();
    QTRY_VERIFY_WITH_TIMEOUT(storedTimestamps(path).size() > logged, 15000);
    QCOMPARE(snapshots().size(), sent);
}

KIV_TEST_MAIN(TestAgViewRun, QApplication)
#include "tst_agviewrun.moc"
