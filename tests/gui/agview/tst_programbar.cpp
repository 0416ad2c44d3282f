// The program bar: entries and widths of the visible programs, fillers, merged runs of
// narrow programs, colours, labels and clicks.
#include <GuiShots.h>
#include <KivEpgBarView.h>
#include <KivTest.h>
#include <ProgramWidget.h>

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>

namespace {

// 2024-03-01 12:00:00 UTC.
constexpr qint64 kNoon = 1709294400000;
constexpr qint64 kMinute = 60000;

Program program(qint64 id, qint64 start, qint64 end)
{
    return Program(0, id, start, end);
}

// kind, start and end after the window's start, and width in pixels.
struct Entry
{
    int kind;
    qint64 start;
    qint64 end;
    int width;
    bool operator==(const Entry &o) const
    {
        return kind == o.kind && start == o.start && end == o.end && width == o.width;
    }
};

char *toString(const QVector<Entry> &entries)
{
    QStringList texts;
    for (const Entry &e : entries)
        texts << QStringLiteral("(%1 %2..%3 %4px)").arg(e.kind).arg(e.start).arg(e.end).arg(e.width);
    return qstrdup(qPrintable(texts.join(QLatin1Char(' '))));
}

struct Bar
{
    KivEpgBarView bar{nullptr};

    explicit Bar(int width)
    {
        bar.resize(width, 56);
        bar.show();
    }
    // Twice, as updates come every 50 ms.
    void update(ZoomLevel level, qint64 start, qint64 span, const std::vector<Program> &programs,
                bool hideProgramId = false)
    {
        for (int i = 0; i < 2; ++i) {
            bar.updateEpgBar(level, start, span, programs, hideProgramId);
            QApplication::processEvents();
        }
    }
    QVector<Entry> entries(qint64 windowStart) const
    {
        QVector<Entry> result;
        for (const EpgProgram &e : bar.entries())
            result.append({e.getKind(), e.getStart() - windowStart, e.getEnd() - windowStart,
                           int(bar.programWidthPx(e))});
        return result;
    }
    QVector<ProgramWidget *> shownButtons() const
    {
        QVector<ProgramWidget *> shown;
        for (int i = 0; i < KivEpgBarView::kButtonCount; ++i) {
            if (bar.button(i)->isVisible())
                shown.append(bar.button(i));
        }
        return shown;
    }
};

// Which of the start, id and end labels a button shows.
QString shownLabels(const ProgramWidget *button)
{
    QString shown;
    shown += button->fromTimestampLabel()->isVisible() ? QLatin1Char('S') : QLatin1Char('-');
    shown += button->programNameLabel()->isVisible() ? QLatin1Char('I') : QLatin1Char('-');
    shown += button->toTimestampLabel()->isVisible() ? QLatin1Char('E') : QLatin1Char('-');
    return shown;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<Program>)
Q_DECLARE_METATYPE(QVector<Entry>)

class TestProgramBar : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<Program>("Program"); }

    void entriesAndWidths_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("level");
        QTest::addColumn<qint64>("span");
        QTest::addColumn<std::vector<Program>>("programs"); // times after the window's start
        QTest::addColumn<QVector<Entry>>("expected");

        const qint64 tenMinutes = 10 * kMinute;
        QTest::newRow("two minutes in ten") << 1200 << 3 << tenMinutes
            << std::vector<Program>{program(7, 5 * kMinute, 7 * kMinute)}
            << QVector<Entry>{{1, 0, 5 * kMinute - 1, 599},
                              {0, 5 * kMinute, 7 * kMinute, 240},
                              {1, 7 * kMinute + 1, tenMinutes, 359}};
        QTest::newRow("clipped at the window's start") << 1200 << 3 << tenMinutes
            << std::vector<Program>{program(7, -kMinute, kMinute)}
            << QVector<Entry>{{0, -kMinute, kMinute, 120}, {1, kMinute + 1, tenMinutes, 1079}};
        QTest::newRow("hole of the minimum span") << 1200 << 3 << tenMinutes
            << std::vector<Program>{program(1, 0, 200000), program(2, 210000, tenMinutes)}
            << QVector<Entry>{{0, 0, 200000, 400}, {0, 210000, tenMinutes, 780}};
        QTest::newRow("hole one ms longer") << 1200 << 3 << tenMinutes
            << std::vector<Program>{program(1, 0, 200000), program(2, 210001, tenMinutes)}
            << QVector<Entry>{{0, 0, 200000, 400},
                              {1, 200001, 210000, 19},
                              {0, 210001, tenMinutes, 779}};
        QTest::newRow("no programs") << 1200 << 3 << tenMinutes << std::vector<Program>{}
                                     << QVector<Entry>{{1, 0, tenMinutes, 1200}};
        QTest::newRow("programs outside the window") << 1200 << 3 << tenMinutes
            << std::vector<Program>{program(1, -3 * kMinute, -kMinute),
                                    program(2, tenMinutes, tenMinutes + kMinute)}
            << QVector<Entry>{{1, 0, tenMinutes, 1200}};
        QTest::newRow("program over the whole window") << 1200 << 3 << tenMinutes
            << std::vector<Program>{program(1, -kMinute, tenMinutes + kMinute)}
            << QVector<Entry>{{0, -kMinute, tenMinutes + kMinute, 1200}};
        // 1 px a second: [300, 10, 8, 6, 200, 500] merges 8 and 6 (the limit is 16 px).
        QTest::newRow("narrow run") << 1024 << 3 << qint64(1024000)
            << std::vector<Program>{program(1, 0, 300000), program(2, 300000, 310000),
                                    program(3, 310000, 318000), program(4, 318000, 324000),
                                    program(5, 324000, 524000), program(6, 524000, 1024000)}
            << QVector<Entry>{{0, 0, 300000, 300},
                              {0, 300000, 310000, 10},
                              {2, 310000, 324000, 14},
                              {0, 324000, 524000, 200},
                              {0, 524000, 1024000, 500}};
    }
    void entriesAndWidths()
    {
        QFETCH(int, width);
        QFETCH(int, level);
        QFETCH(qint64, span);
        QFETCH(std::vector<Program>, programs);
        QFETCH(QVector<Entry>, expected);
        for (Program &p : programs) {
            p.setStart(p.getStart() + kNoon);
            p.setEnd(p.getEnd() + kNoon);
        }
        Bar b(width);
        b.update(ZoomLevel(level), kNoon, span, programs);
        QCOMPARE(b.entries(kNoon), expected);

        // One button per entry, each at least as wide as its entry.
        const QVector<ProgramWidget *> shown = b.shownButtons();
        QCOMPARE(shown.size(), expected.size());
        int total = 0;
        for (int i = 0; i < shown.size(); ++i) {
            QCOMPARE(shown[i]->minimumWidth(), expected[i].width);
            QVERIFY(shown[i]->width() >= expected[i].width);
            QCOMPARE(shown[i]->height(), 56);
            total += expected[i].width;
        }
        // Where the widths fill the bar, every button is exactly as wide as its entry.
        if (total == width) {
            for (int i = 0; i < shown.size(); ++i)
                QCOMPARE(shown[i]->width(), expected[i].width);
        }
    }

    void nextUpdateStartsAfresh()
    {
        Bar b(1200);
        b.update(ZoomLevel10min, kNoon, 10 * kMinute,
                 {program(1, kNoon, kNoon + 2 * kMinute), program(2, kNoon + 3 * kMinute,
                                                                  kNoon + 10 * kMinute)});
        QCOMPARE(b.shownButtons().size(), 3);
        b.update(ZoomLevel10min, kNoon + 10 * kMinute, 10 * kMinute, {});
        QCOMPARE(b.shownButtons().size(), 1);
        QCOMPARE(b.shownButtons().at(0)->epgProgram().getKind(), 1);
        // A window of no length shows nothing.
        b.update(ZoomLevel10min, kNoon, 0, {program(1, kNoon, kNoon + kMinute)});
        QCOMPARE(b.shownButtons().size(), 0);
        // The same program and filler in a window a minute later: only their widths change.
        const Program clipped = program(3, kNoon - 5 * kMinute, kNoon + 5 * kMinute);
        b.update(ZoomLevel10min, kNoon, 10 * kMinute, {clipped});
        QCOMPARE(b.shownButtons().size(), 2);
        QCOMPARE(b.shownButtons().at(0)->minimumWidth(), 600);
        b.update(ZoomLevel10min, kNoon + kMinute, 10 * kMinute, {clipped});
        QCOMPARE(b.shownButtons().at(0)->minimumWidth(), 480);
        QCOMPARE(b.shownButtons().at(1)->minimumWidth(), int(b.entries(kNoon).at(1).width));
    }

    void colours_data()
    {
        QTest::addColumn<qint64>("start");
        QTest::addColumn<QString>("style");
        QTest::newRow("all bytes 0") << qint64(0) << "rgb(70,0,0)";
        QTest::newRow("only the first low channel raised") << qint64(0x123456) << "rgb(86,70,18)";
        QTest::newRow("only the first high channel lowered")
            << qint64(0xC8C8C8) << "rgb(180,200,200)";
        QTest::newRow("both") << qint64(0x00FF00) << "rgb(70,180,0)";
        QTest::newRow("in range") << qint64(0x6E7F90) << "rgb(144,127,110)";
        QTest::newRow("higher bytes ignored") << (qint64(0x7F) << 24 | 0x505050) << "rgb(80,80,80)";
    }
    void colours()
    {
        QFETCH(qint64, start);
        QFETCH(QString, style);
        QCOMPARE(ProgramWidget::colourStyleForStart(start),
                 QStringLiteral("QWidget {background-color:%1; }").arg(style));
    }

    void labelsFitTheirButton_data()
    {
        QTest::addColumn<qint64>("lengthMs"); // of a program in a 10-minute window, 1200 px
        QTest::addColumn<bool>("hideProgramId");
        QTest::addColumn<QString>("labels");
        QTest::newRow("wide") << 5 * kMinute << false << "SIE";
        QTest::newRow("wide, ids hidden") << 5 * kMinute << true << "S-E";
        // 80 px: the id and the room the layout keeps beside it.
        QTest::newRow("room for the id") << 40000LL << false << "-I-";
        QTest::newRow("room for the id, ids hidden") << 40000LL << true << "---";
        QTest::newRow("too narrow") << 5000LL << false << "---";
    }
    void labelsFitTheirButton()
    {
        QFETCH(qint64, lengthMs);
        QFETCH(bool, hideProgramId);
        QFETCH(QString, labels);
        Bar b(1200);
        const qint64 start = kNoon + 2 * kMinute;
        b.update(ZoomLevel10min, kNoon, 10 * kMinute, {program(4711, start, start + lengthMs)},
                 hideProgramId);
        ProgramWidget *button = b.shownButtons().at(1);
        QCOMPARE(shownLabels(button), labels);
        QCOMPARE(button->fromTimestampLabel()->text(), QStringLiteral("12:02:00"));
        QCOMPARE(button->programNameLabel()->text(), QStringLiteral("4711"));
        QCOMPARE(button->toolTip(), QStringLiteral("Program 4711 from 12:02:00 to %1")
                                        .arg(button->toTimestampLabel()->text()));
        QVERIFY(button->styleSheet().startsWith(ProgramWidget::colourStyleForStart(start)));
        QVERIFY(button->styleSheet().contains(QLatin1String("QToolTip {")));
        // Fillers show nothing.
        ProgramWidget *filler = b.shownButtons().at(0);
        QCOMPARE(shownLabels(filler), QStringLiteral("---"));
        QCOMPARE(filler->toolTip(), QString());
        QVERIFY(filler->styleSheet().startsWith(
            QLatin1String("QWidget{ background-color: rgba(0,0,0,0)}")));
    }

    // One update only: the labels follow the width the button gets after it.
    void labelsFollowTheButtonsNewWidth()
    {
        Bar b(1200);
        const qint64 start = kNoon + 2 * kMinute;
        b.update(ZoomLevel10min, kNoon, 10 * kMinute,
                 {program(6655187, start, start + 5 * kMinute)});
        QCOMPARE(shownLabels(b.shownButtons().at(1)), QStringLiteral("SIE"));
        auto shrinkTo = [&](qint64 lengthMs) {
            b.bar.updateEpgBar(ZoomLevel10min, kNoon, 10 * kMinute,
                               {program(6655187, start, start + lengthMs)}, false);
            QApplication::processEvents();
            return b.shownButtons().at(1);
        };
        // About 120 px: room for the id, shown whole.
        ProgramWidget *button = shrinkTo(kMinute);
        QCOMPARE(shownLabels(button), QStringLiteral("-I-"));
        const QLabel *id = button->programNameLabel();
        QVERIFY(id->width() >= id->fontMetrics().horizontalAdvance(id->text()));
        // 40 px: no room, nothing shown rather than a cut id.
        button = shrinkTo(20000);
        QCOMPARE(shownLabels(button), QStringLiteral("---"));
    }

    void mergedRunShowsDots_data()
    {
        QTest::addColumn<bool>("hideProgramId");
        QTest::addColumn<QString>("labels");
        QTest::newRow("ids shown") << false << "-I-";
        QTest::newRow("ids hidden") << true << "---";
    }
    void mergedRunShowsDots()
    {
        QFETCH(bool, hideProgramId);
        QFETCH(QString, labels);
        // 1 px a second on 1024 px: [232, 500, fifteen of 4, 232]. The limit is 40 px, so
        // ten narrow programs merge into one entry and the last five into another.
        Bar b(1024);
        std::vector<Program> programs{program(1, kNoon, kNoon + 232000),
                                      program(2, kNoon + 232000, kNoon + 732000)};
        for (int i = 0; i < 15; ++i)
            programs.push_back(program(10 + i, kNoon + 732000 + i * 4000,
                                       kNoon + 732000 + (i + 1) * 4000));
        programs.push_back(program(3, kNoon + 792000, kNoon + 1024000));
        b.update(ZoomLevel10min, kNoon, 1024000, programs, hideProgramId);
        const QVector<Entry> entries = b.entries(kNoon);
        QCOMPARE(entries.size(), 5);
        QCOMPARE(entries[2], (Entry{2, 732000, 772000, 40}));
        QCOMPARE(entries[3], (Entry{2, 772000, 792000, 20}));
        ProgramWidget *merged = b.shownButtons().at(2);
        QCOMPARE(merged->programNameLabel()->text(), QStringLiteral("..."));
        QCOMPARE(shownLabels(merged), labels);
        QCOMPARE(merged->toolTip(), QStringLiteral("Program batch too small to display"));
        QVERIFY(merged->styleSheet().startsWith(
            QLatin1String("QWidget{ background-color: rgba(127,127,127,100)}")));
    }

    void clicksReportPrograms()
    {
        Bar b(1200);
        b.update(ZoomLevel10min, kNoon, 10 * kMinute,
                 {program(42, kNoon, kNoon + 3 * kMinute),
                  program(-1, kNoon + 3 * kMinute, kNoon + 6 * kMinute)});
        QSignalSpy clicked(&b.bar, &KivEpgBarView::epgButtonClicked);
        QSignalSpy doubleClicked(&b.bar, &KivEpgBarView::epgButtonDoubleClicked);
        const QVector<ProgramWidget *> shown = b.shownButtons();
        QCOMPARE(shown.size(), 3);

        QTest::mouseClick(shown[0], Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        const Program reported = clicked.at(0).at(0).value<Program>();
        QCOMPARE(reported.getProgramId(), qint64(42));
        QCOMPARE(reported.getStart(), kNoon);
        QCOMPARE(reported.getEnd(), kNoon + 3 * kMinute);

        // A user's double click (a press, then the double click) reports the program twice.
        QTest::mouseClick(shown[0], Qt::LeftButton);
        QTest::mouseDClick(shown[0], Qt::LeftButton);
        QCOMPARE(doubleClicked.count(), 1);
        QCOMPARE(doubleClicked.at(0).at(0).value<Program>().getProgramId(), qint64(42));
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(clicked.at(1).at(0).value<Program>().getProgramId(), qint64(42));

        // A program without an id shows its times but reports nothing; nor does a filler.
        QCOMPARE(shown[1]->fromTimestampLabel()->text(), QStringLiteral("12:03:00"));
        QCOMPARE(shownLabels(shown[1]), QStringLiteral("SIE"));
        for (ProgramWidget *silent : {shown[1], shown[2]}) {
            QTest::mouseClick(silent, Qt::LeftButton);
            QTest::mouseDClick(silent, Qt::LeftButton);
        }
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(doubleClicked.count(), 1);
    }

    void barLook()
    {
        QWidget window;
        window.setStyleSheet(QStringLiteral("background-color: rgb(75,75,75)"));
        auto *bar = new KivEpgBarView(&window);
        bar->setGeometry(0, 0, 1200, 56);
        window.resize(1200, 56);
        window.show();
        std::vector<Program> programs{program(101, kNoon - kMinute, kNoon + 3 * kMinute),
                                      program(102, kNoon + 3 * kMinute, kNoon + 4 * kMinute),
                                      program(103, kNoon + 4 * kMinute + 20000,
                                              kNoon + 4 * kMinute + 30000)};
        for (int i = 0; i < 5; ++i)
            programs.push_back(program(200 + i, kNoon + 5 * kMinute + i * 2000,
                                       kNoon + 5 * kMinute + (i + 1) * 2000));
        programs.push_back(program(104, kNoon + 7 * kMinute, kNoon + 9 * kMinute));
        for (int i = 0; i < 2; ++i) {
            bar->updateEpgBar(ZoomLevel10min, kNoon, 10 * kMinute, programs, false);
            QApplication::processEvents();
        }
        KivTest::saveShot(&window, QStringLiteral("programbar"));
        const QImage image = window.grab().toImage();
        // The first program's colour fills its button (its own borders aside).
        const QString style = ProgramWidget::colourStyleForStart(kNoon - kMinute);
        const QStringList rgb = style.section(QLatin1Char('('), 1).section(QLatin1Char(')'), 0, 0)
                                    .split(QLatin1Char(','));
        const QColor colour(rgb[0].toInt(), rgb[1].toInt(), rgb[2].toInt());
        QCOMPARE(image.pixelColor(100, 50), colour);
        // A filler lets the bar's background through.
        QCOMPARE(image.pixelColor(1150, 50), QColor(75, 75, 75));
    }
};

KIV_TEST_MAIN(TestProgramBar, QApplication)
#include "tst_programbar.moc"
