#include <AgConfig.h>
#include <AgData.h>
#include <AgDataAverageComputer.h>
#include <AgDataVector.h>
#include <AgViolations.h>
#include <AgZoomViolations.h>
#include <KivTest.h>
#include <TestConfigs.h>

#include <QCoreApplication>

#include <cmath>
#include <stdexcept>

namespace {

// Sets one measure of a sample, named as the tables name it.
void setField(AgData *sample, const QString &field, double value)
{
    if (field == QLatin1String("M"))
        sample->setM400ms(value);
    else if (field == QLatin1String("M100"))
        sample->setM100ms(value);
    else if (field == QLatin1String("S"))
        sample->setS(value);
    else if (field == QLatin1String("TP"))
        sample->setTP(value);
    else
        sample->setI(value);
}

constexpr qint64 kT0 = 1700000000000;

using KivTest::thresholds;

// A sample within every limit.
AgData quiet(qint64 timestamp, qint64 programId = 1)
{
    AgData sample(QStringLiteral("Main"));
    sample.setEmpty(false);
    sample.setTimestamp(timestamp);
    sample.setProgramId(programId);
    sample.setM400ms(-10.0);
    sample.setM100ms(-10.0);
    sample.setS(-10.0);
    sample.setTP(-20.0);
    sample.setI(0.0);
    return sample;
}

AgDataVector batchOf(std::initializer_list<AgData> samples)
{
    AgDataVector batch;
    for (const AgData &sample : samples)
        batch.append(sample);
    return batch;
}

QVector<int> counters(const AgViolations &v)
{
    return {v.getMomentaryMainCount(),
            v.getShortTermMainCount(),
            v.getIntegratedUpperMainCount(),
            v.getIntegratedLowerMainCount(),
            v.getTruePeakMainCount(),
            v.getMomentarySecondaryCount(),
            v.getShortTermSecondaryCount(),
            v.getIntegratedUpperSecondaryCount(),
            v.getIntegratedLowerSecondaryCount(),
            v.getTruePeakSecondaryCount()};
}

// The predicates that hold, as letters: m M s S t T u U l L (momentary, short-term, true
// peak, integrated upper, integrated lower; lower case main, upper case secondary).
QString violationLetters(const AgData &sample, const AgConfig &config)
{
    QString found;
    found += sample.isMomentaryAboveMainThreshold(config) ? "m" : "";
    found += sample.isMomentaryAboveSecondaryThreshold(config) ? "M" : "";
    found += sample.isShortTermAboveMainThreshold(config) ? "s" : "";
    found += sample.isShortTermAboveSecondaryThreshold(config) ? "S" : "";
    found += sample.isTruePeakAboveMainThreshold(config) ? "t" : "";
    found += sample.isTruePeakAboveSecondaryThreshold(config) ? "T" : "";
    found += sample.isIntegratedAboveMainThreshold(config) ? "u" : "";
    found += sample.isIntegratedAboveSecondaryThreshold(config) ? "U" : "";
    found += sample.isIntegratedBelowMainThreshold(config) ? "l" : "";
    found += sample.isIntegratedBelowSecondaryThreshold(config) ? "L" : "";
    return found;
}

// thresholds() for a meter reporting in `unit` with a -23 target.
AgConfig inUnit(const QString &unit, bool mainActive, bool secondaryActive)
{
    AgConfig config = thresholds(mainActive, secondaryActive);
    config.setLoudnessUnit(unit);
    config.setTargetLoudness(-23.0);
    return config;
}

// A sample within every limit of inUnit("LUFS", ...).
AgData quietAbsolute(qint64 timestamp)
{
    AgData sample = quiet(timestamp);
    sample.setM400ms(-33.0);
    sample.setM100ms(-33.0);
    sample.setS(-33.0);
    sample.setI(-23.0);
    return sample;
}

} // namespace

class TestViolations : public QObject
{
    Q_OBJECT
private slots:
    void thresholdTests_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("mainActive");
        QTest::addColumn<bool>("secondaryActive");
        QTest::addColumn<QString>("violations");
        const double nan = std::nan("");
        // violations: the predicates that hold, as letters: m M s S t T u U l L
        // (momentary, short-term, true peak, integrated upper, integrated lower; lower case
        // main, upper case secondary).
        QTest::newRow("M at the main limit") << "M" << 8.0 << true << true << "M";
        QTest::newRow("M above both") << "M" << 8.5 << true << true << "mM";
        QTest::newRow("M above main, sets off") << "M" << 8.5 << false << false << "";
        QTest::newRow("M above secondary, secondary only") << "M" << 6.0 << false << true << "M";
        QTest::newRow("I above main only, secondary only") << "I" << 1.5 << false << true << "";
        QTest::newRow("M100ms is never judged") << "M100" << 20.0 << true << true << "";
        QTest::newRow("M not a number") << "M" << nan << true << true << "";
        QTest::newRow("S at the secondary limit") << "S" << 1.0 << true << true << "";
        QTest::newRow("S above both") << "S" << 3.1 << true << true << "sS";
        QTest::newRow("TP between limits") << "TP" << -4.0 << true << true << "T";
        QTest::newRow("TP at the main limit") << "TP" << -3.0 << true << true << "T";
        QTest::newRow("TP not a number") << "TP" << nan << true << true << "";
        QTest::newRow("I at the upper limit") << "I" << 1.0 << true << true << "";
        QTest::newRow("I above main") << "I" << 1.5 << true << true << "u";
        QTest::newRow("I above both") << "I" << 2.5 << true << true << "uU";
        QTest::newRow("I at the lower limit") << "I" << -1.0 << true << true << "";
        QTest::newRow("I below both") << "I" << -2.5 << true << true << "lL";
        QTest::newRow("I below both, sets off") << "I" << -2.5 << false << false << "";
        QTest::newRow("I not a number") << "I" << nan << true << true << "";
    }

    void thresholdTests()
    {
        QFETCH(QString, field);
        QFETCH(double, value);
        QFETCH(bool, mainActive);
        QFETCH(bool, secondaryActive);
        QFETCH(QString, violations);
        const AgConfig config = thresholds(mainActive, secondaryActive);
        AgData sample = quiet(kT0);
        setField(&sample, field, value);

        QCOMPARE(violationLetters(sample, config), violations);
        QCOMPARE(sample.hasViolation(config), !violations.isEmpty());
        QCOMPARE(sample.hasMomentaryViolation(config),
                 violations.contains('m', Qt::CaseInsensitive));
        QCOMPARE(sample.hasIntegratedViolation(config),
                 violations.contains('u', Qt::CaseInsensitive) ||
                     violations.contains('l', Qt::CaseInsensitive));
    }

    // Loudness limits are relative to the target: an absolute unit shifts them onto it,
    // true peak (dBTP) is never shifted. Limits at -23: M -15/-18, S -20/-22, I -24..-22
    // main, -25..-21 secondary.
    void limitsFollowTheUnit_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("violations");
        QTest::newRow("LU: I at the lower limit") << "LU" << "I" << -1.0 << "";
        QTest::newRow("LU: I below the lower limit") << "LU" << "I" << -1.01 << "l";
        QTest::newRow("LU: an absolute value is far below") << "LU" << "I" << -23.0 << "lL";
        QTest::newRow("LUFS: I on the target") << "LUFS" << "I" << -23.0 << "";
        QTest::newRow("LUFS: I at the lower limit") << "LUFS" << "I" << -24.0 << "";
        QTest::newRow("LUFS: I below the lower limit") << "LUFS" << "I" << -24.01 << "l";
        QTest::newRow("LUFS: I below both") << "LUFS" << "I" << -25.5 << "lL";
        QTest::newRow("LUFS: I at the upper limit") << "LUFS" << "I" << -22.0 << "";
        QTest::newRow("LUFS: I above the upper limit") << "LUFS" << "I" << -21.99 << "u";
        QTest::newRow("LUFS: M at the main limit") << "LUFS" << "M" << -15.0 << "M";
        QTest::newRow("LUFS: M above both") << "LUFS" << "M" << -14.99 << "mM";
        QTest::newRow("LUFS: S above secondary") << "LUFS" << "S" << -20.0 << "S";
        QTest::newRow("LUFS: S above both") << "LUFS" << "S" << -19.5 << "sS";
        QTest::newRow("LUFS: TP at the main limit") << "LUFS" << "TP" << -3.0 << "T";
        QTest::newRow("LUFS: TP above both") << "LUFS" << "TP" << -2.99 << "tT";
        QTest::newRow("LKFS: I below the lower limit") << "LKFS" << "I" << -24.01 << "l";
        QTest::newRow("LKFS: M above both") << "LKFS" << "M" << -14.0 << "mM";
    }

    void limitsFollowTheUnit()
    {
        QFETCH(QString, unit);
        QFETCH(QString, field);
        QFETCH(double, value);
        QFETCH(QString, violations);
        const AgConfig config = inUnit(unit, true, true);
        AgData sample = unit == QLatin1String("LU") ? quiet(kT0) : quietAbsolute(kT0);
        setField(&sample, field, value);
        QCOMPARE(violationLetters(sample, config), violations);
        QCOMPARE(sample.hasViolation(config), !violations.isEmpty());
    }

    void samplesAndBatches()
    {
        const AgData blank;
        const AgData copy(blank);
        QVERIFY(copy.isEmpty());
        AgData filled = quiet(kT0);
        filled = blank;
        QVERIFY(filled.isEmpty());

        AgDataVector batch(QStringLiteral("Main"), 3);
        QCOMPARE(batch.size(), 0);
        QVERIFY_EXCEPTION_THROWN(batch.at(0), std::out_of_range);
        batch.append(quiet(kT0));
        QCOMPARE(batch.at(0).getTimestamp(), kT0);
        QVERIFY_EXCEPTION_THROWN(batch.at(1), std::out_of_range);
        QVERIFY_EXCEPTION_THROWN(batch.at(-1), std::out_of_range);

        QVERIFY(!isIntegratedCheckDue(false, quiet(kT0), AgData()));
        QVERIFY(isIntegratedCheckDue(false, quiet(kT0, 1), quiet(kT0, 1)));
        QVERIFY(!isIntegratedCheckDue(true, quiet(kT0, 1), quiet(kT0, 1)));
        QVERIFY(isIntegratedCheckDue(true, quiet(kT0, 2), quiet(kT0, 1)));
    }

    // Each sample is judged once its successor is known.
    void countsOneSampleLate()
    {
        const AgConfig config = thresholds(true, true);
        AgViolations violations;
        AgData loud = quiet(kT0);
        loud.setM400ms(9.0);
        loud.setTP(-1.0);
        AgDataVector first = batchOf({loud});
        violations.update(true, config, &first, 0);
        QCOMPARE(counters(violations), QVector<int>(10, 0));

        AgDataVector second = batchOf({quiet(kT0 + 100)});
        violations.update(true, config, &second, -1);
        QCOMPARE(counters(violations), (QVector<int>{1, 0, 0, 0, 1, 1, 0, 0, 0, 1}));

        // Copies carry the counts; a reset clears them.
        const AgViolations published(violations);
        QCOMPARE(counters(published), counters(violations));
        violations.resetCounters();
        QCOMPARE(counters(violations), QVector<int>(10, 0));
        QCOMPARE(published.getMomentaryMainCount(), 1);
    }

    void integratedAtProgramEnd_data()
    {
        QTest::addColumn<bool>("atProgramEndOnly");
        QTest::addColumn<qint64>("lastTimestamp");
        QTest::addColumn<int>("integratedUpperMain");
        // Program 1 has four samples above the integrated limit, then program 2 starts.
        QTest::newRow("program end only") << true << qint64(-1) << 1;
        QTest::newRow("every sample") << false << qint64(-1) << 4;
        // The final sample is judged at once, integrated test included.
        QTest::newRow("program end only, final sample") << true << kT0 + 400 << 2;
        QTest::newRow("every sample, final sample") << false << kT0 + 400 << 5;
    }

    void integratedAtProgramEnd()
    {
        QFETCH(bool, atProgramEndOnly);
        QFETCH(qint64, lastTimestamp);
        QFETCH(int, integratedUpperMain);
        const AgConfig config = thresholds(true, false);
        AgDataVector batch;
        for (int i = 0; i < 5; ++i) {
            AgData sample = quiet(kT0 + i * 100, i < 4 ? 1 : 2);
            sample.setI(1.5);
            batch.append(sample);
        }
        AgViolations violations;
        violations.update(atProgramEndOnly, config, &batch, lastTimestamp);
        QCOMPARE(violations.getIntegratedUpperMainCount(), integratedUpperMain);
        QCOMPARE(violations.getIntegratedUpperSecondaryCount(), 0);

        // A sample judged for good is not judged again by the next batch.
        AgDataVector next = batchOf({quiet(kT0 + 500, 2)});
        violations.update(atProgramEndOnly, config, &next, -1);
        QCOMPARE(violations.getIntegratedUpperMainCount(),
                 integratedUpperMain + (lastTimestamp > 0 ? 0 : (atProgramEndOnly ? 0 : 1)));
    }

    void windowRepresentative_data()
    {
        QTest::addColumn<QVector<double>>("momentary");
        QTest::addColumn<QVector<double>>("truePeak");
        QTest::addColumn<int>("kept");
        // Limits: the stricter of each pair, M 5 and TP -6, whatever the active sets.
        QTest::newRow("no violation keeps the first")
            << QVector<double>{-10, -9, -8} << QVector<double>{-20, -20, -20} << 0;
        QTest::newRow("first violation wins over quiet")
            << QVector<double>{-10, 9, -8} << QVector<double>{-20, -20, -20} << 1;
        QTest::newRow("worse in another category replaces")
            << QVector<double>{9.0, -10, -10} << QVector<double>{-20, -2.0, -2.5} << 1;
        QTest::newRow("larger excess replaces")
            << QVector<double>{8.5, 9.5, 9.0} << QVector<double>{-20, -20, -20} << 1;
        QTest::newRow("equal excess keeps the earlier")
            << QVector<double>{9.0, 9.0, -10} << QVector<double>{-20, -20, -20} << 0;
    }

    void windowRepresentative()
    {
        QFETCH(QVector<double>, momentary);
        QFETCH(QVector<double>, truePeak);
        QFETCH(int, kept);
        AgDataAverageComputer computer(thresholds(true, false), kT0);
        QVERIFY(computer.isEmpty());
        computer.addSample(AgData());
        QVERIFY(computer.isEmpty());
        for (int i = 0; i < momentary.size(); ++i) {
            AgData sample = quiet(kT0 + 10 + i * 100);
            sample.setTimecode(100 + i);
            sample.setM400ms(momentary[i]);
            sample.setTP(truePeak[i]);
            computer.addSample(sample);
        }
        const AgData result = computer.getResult();
        QVERIFY(!result.isEmpty());
        QCOMPARE(result.getTimestamp(), kT0);
        QCOMPARE(result.getTimecode(), qint64(100 + kept));
        QCOMPARE(result.getM400ms(), momentary[kept]);
    }

    // The window's representative in an absolute unit: excesses over the shifted limits
    // (M -18, I -24..-22 with the main set active).
    void windowRepresentativeInLufs_data()
    {
        QTest::addColumn<QVector<double>>("momentary");
        QTest::addColumn<QVector<double>>("integrated");
        QTest::addColumn<int>("kept");
        QTest::newRow("quiet keeps the first")
            << QVector<double>{-33, -30, -33} << QVector<double>{-23, -22.5, -23.5} << 0;
        QTest::newRow("momentary violation wins over quiet")
            << QVector<double>{-33, -14, -33} << QVector<double>{-23, -23, -23} << 1;
        QTest::newRow("integrated above wins over on target")
            << QVector<double>{-33, -33, -33} << QVector<double>{-23, -21.5, -23} << 1;
        QTest::newRow("further below the lower limit replaces")
            << QVector<double>{-33, -33, -33} << QVector<double>{-24.5, -25, -24.8} << 1;
    }

    void windowRepresentativeInLufs()
    {
        QFETCH(QVector<double>, momentary);
        QFETCH(QVector<double>, integrated);
        QFETCH(int, kept);
        const AgConfig config = inUnit(QStringLiteral("LUFS"), true, false);
        AgDataAverageComputer computer(config, kT0);
        for (int i = 0; i < momentary.size(); ++i) {
            AgData sample = quietAbsolute(kT0 + 10 + i * 100);
            sample.setTimecode(100 + i);
            sample.setM400ms(momentary[i]);
            sample.setI(integrated[i]);
            computer.addSample(sample);
        }
        const AgData result = computer.getResult();
        QCOMPARE(result.getTimecode(), qint64(100 + kept));
        QCOMPARE(result.getI(), integrated[kept]);
        QCOMPARE(result.hasViolation(config), kept != 0);
    }

    void zoomWindows()
    {
        const AgConfig config = thresholds(true, false);
        AgZoomViolations zoom; // one-hour level: 7031 ms windows
        const AgDataVector none;
        QVERIFY(zoom.addSamples(config, &none).empty());
        QVERIFY(zoom.addSamples(config, nullptr).empty());

        AgData loud = quiet(kT0 + 3000);
        loud.setM400ms(9.0);
        AgDataVector first = batchOf({quiet(kT0), loud, quiet(kT0 + 7030)});
        QVERIFY(zoom.addSamples(config, &first).empty());

        // One millisecond past the window's end opens the next window.
        AgDataVector second = batchOf({quiet(kT0 + 7031), quiet(kT0 + 8000)});
        std::vector<AgData> closed = zoom.addSamples(config, &second);
        QCOMPARE(closed.size(), size_t(1));
        QCOMPARE(closed[0].getTimestamp(), kT0);
        QCOMPARE(closed[0].getM400ms(), 9.0);

        // A program change closes the window with the old program's final sample.
        AgDataVector third = batchOf({quiet(kT0 + 8100, 2)});
        closed = zoom.addSamples(config, &third);
        QCOMPARE(closed.size(), size_t(1));
        QCOMPARE(closed[0].getTimestamp(), kT0 + 8000);
        QCOMPARE(closed[0].getProgramId(), qint64(1));

        // A copy goes on with its own open window.
        AgZoomViolations copy(zoom);
        AgDataVector fourth = batchOf({quiet(kT0 + 20000, 2)});
        QCOMPARE(copy.addSamples(config, &fourth).size(), size_t(1));
        QCOMPARE(zoom.addSamples(config, &fourth).size(), size_t(1));
    }
};

KIV_TEST_MAIN(TestViolations, QCoreApplication)
#include "tst_violations.moc"
