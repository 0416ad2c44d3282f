#include "ReportTestUtil.h"

#include <KivTest.h>
#include <ReportTask.h>

#include <QCoreApplication>

using namespace ReportTest;

namespace {

const InstrumentConfig &instrument()
{
    static const InstrumentConfig config(QStringLiteral("Studio 2"));
    return config;
}

using Programs = std::vector<Program>;

ReportTask taskOf(const Programs &programs)
{
    ReportConfig company;
    company.setCompanyName(QStringLiteral("Acme"));
    return ReportTask(QStringLiteral("1_Studio 2_Main"), true, company, instrument(), agConfig(),
                      programs, kT0, kT0 + 3600000);
}

} // namespace

Q_DECLARE_METATYPE(Programs)

class TestReportTask : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { KivTest::startLog(4); }

    void programsDuration_data()
    {
        QTest::addColumn<Programs>("programs");
        QTest::addColumn<qint64>("duration");
        QTest::newRow("no programs") << Programs{} << qint64(0);
        QTest::newRow("first start to last end")
            << Programs{Program(1, 1, kT0, kT0 + 1000), Program(1, 2, kT0 + 1100, kT0 + 5000)}
            << qint64(5000);
        QTest::newRow("last ends before the first starts")
            << Programs{Program(1, 1, kT0 + 9000, kT0 + 9900), Program(1, 2, kT0, kT0 + 100)}
            << qint64(0);
    }

    void programsDuration()
    {
        QFETCH(Programs, programs);
        QFETCH(qint64, duration);
        QCOMPARE(taskOf(programs).getProgramsDuration(), duration);
    }

    // Whatever a program looks like, the job gets through it: a report never waits for ever.
    void everyProgramFinishes_data()
    {
        QTest::addColumn<Programs>("programs");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QList<qint64>>("calculated");
        QTest::addColumn<int>("listed");
        QTest::newRow("one-sample program")
            << Programs{Program(1, 6, kT0 + 5000, kT0 + 5000)} << 1 << QList<qint64>{6} << 1;
        QTest::newRow("program without id")
            << Programs{Program(1, -1, kT0, kT0 + 9000)} << 1 << QList<qint64>{} << 0;
        QTest::newRow("program starting at 0")
            << Programs{Program(1, 7, 0, kT0 + 9000)} << 1 << QList<qint64>{} << 0;
        QTest::newRow("skipped program, then one with its id")
            << Programs{Program(1, 7, -1, kT0 + 9000), Program(1, 7, kT0, kT0 + 9000)} << 2
            << QList<qint64>{7} << 1;
        QTest::newRow("end before start")
            << Programs{Program(1, 8, kT0 + 9000, kT0)} << 1 << QList<qint64>{8} << 0;
        QTest::newRow("two programs of one id")
            << Programs{Program(1, 9, kT0, kT0 + 4000), Program(1, 9, kT0 + 5000, kT0 + 9000)}
            << 2 << QList<qint64>{9} << 1;
    }

    void everyProgramFinishes()
    {
        QFETCH(Programs, programs);
        QFETCH(int, steps);
        QFETCH(QList<qint64>, calculated);
        QFETCH(int, listed);
        std::unique_ptr<AAgDataModel> model = freshStore(instrument(), agConfig());
        QCOMPARE(store(*model, programSamples(0, 9000, 6)), 0);

        ReportTask task = taskOf(programs);
        for (int step = 0; step < steps; ++step) {
            QVERIFY(!task.isAllProgramsCalculated());
            task.calculateNextSlice(model.get());
        }
        QVERIFY(task.isAllProgramsCalculated());
        QCOMPARE(task.getCalculators().keys(), calculated);
        int samples = 0;
        for (const ReportProgramCalculator &calculator : task.getCalculators()) {
            QVERIFY(calculator.isFinished());
            samples += int(calculator.getReportSamples().size());
        }
        QCOMPARE(samples, listed);
        bool composed = false;
        compose(task, &composed);
        QVERIFY(composed);
    }

    // A store that keeps failing ends the job's wait after a bounded number of tries, and
    // the report is not written from incomplete figures.
    void unreadableProgramIsGivenUp()
    {
        AAgDataModel noStore;
        ReportTask task = taskOf({Program(1, 4, kT0, kT0 + 60000)});
        for (int step = 1; step < ReportProgramCalculator::kMaxReadAttempts; ++step)
            task.calculateNextSlice(&noStore);
        QVERIFY(!task.isAllProgramsCalculated());
        task.calculateNextSlice(&noStore);
        QVERIFY(task.isAllProgramsCalculated());
        QVERIFY(task.getCalculators().value(4).hasReadFailed());
        bool composed = true;
        QVERIFY(compose(task, &composed).isEmpty());
        QVERIFY(!composed);
        QVERIFY(KivTest::readLog().contains("gives program 4 up"));
    }

    // A copy is the same request started again; a move (a queue that grows) keeps the work.
    void copyStartsAgainMoveKeepsWork()
    {
        std::unique_ptr<AAgDataModel> model = freshStore(instrument(), agConfig());
        QCOMPARE(store(*model, programSamples(0, 9000, 6)), 0);
        const Programs programs = {Program(1, 6, kT0, kT0 + 9000)};

        std::vector<ReportTask> queue;
        queue.push_back(taskOf(programs));
        QVERIFY(calculateAll(queue.front(), *model));
        for (int i = 0; i < 20; ++i)
            queue.push_back(taskOf(programs));
        QVERIFY(queue.front().isAllProgramsCalculated());
        QCOMPARE(queue.front().getCalculators().value(6).getReportSamples().size(), size_t(1));

        ReportTask copy(queue.front());
        QVERIFY(!copy.isAllProgramsCalculated());
        QVERIFY(copy.getCalculators().isEmpty());
        QCOMPARE(copy.getName(), QStringLiteral("1_Studio 2_Main"));
        QCOMPARE(copy.getReportConfig().getCompanyName(), QStringLiteral("Acme"));
        QCOMPARE(copy.getInstrumentConfig().getName(), instrument().getName());
        QCOMPARE(copy.getAgConfig().getMUpperThreshold(), 15.0);
        QCOMPARE(copy.getStartTime(), kT0);
        QCOMPARE(copy.getEndTime(), kT0 + 3600000);
        QCOMPARE(copy.getPrograms().size(), size_t(1));
        QVERIFY(calculateAll(copy, *model));

        ReportTask assigned = taskOf({});
        assigned = queue.front();
        QVERIFY(assigned.getCalculators().isEmpty());
        QVERIFY(!assigned.isAllProgramsCalculated());
    }
};

KIV_TEST_MAIN(TestReportTask, QCoreApplication)
#include "tst_reporttask.moc"
