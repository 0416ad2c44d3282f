// Manual reports through the running system, asked for as a user does: audiogroups selected
// in the main window, its "Generate Report", the report dialog and its Cancel, the alert
// boxes; behind them the audiogroups' report jobs and the converter beside the program. The
// meters are out of reach, so the audiogroup files keep the day written before the start.
#include "SystemHarness.h"

#include "../reports/ReportTestUtil.h"

#include <AConfirmationView.h>
#include <AGenerateReportView.h>
#include <AgList.h>
#include <AgListItem.h>
#include <ConfirmationViewController.h>
#include <GenerateReportViewController.h>
#include <HtmlToPdf.h>
#include <KIVAlertBox.h>
#include <KivTest.h>
#include <NUVMenu.h>
#include <QTSystemView.h>
#include <SystemViewController.h>
#include <UserInput.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>

using namespace ReportTest;
using KivTest::childProcesses;

namespace {

const QString kStudio = QStringLiteral("Studio 2");
const QString kRadio = QStringLiteral("Radio 1");
const QString kMain = QStringLiteral("Main");
const QString kBackUp = QStringLiteral("Back up");
// Five hours of one program, a sample a second: a long calculation.
const QString kArchive = QStringLiteral("Archive");
constexpr qint64 kSixHours = 21600000;

using Selection = QMultiMap<QString, QString>;

Selection selectionOf(const QList<QPair<QString, QString>> &pairs)
{
    Selection selection;
    for (const auto &pair : pairs)
        selection.insert(pair.first, pair.second);
    return selection;
}

QString reportsFolder(const QString &instrument, const QString &audiogroup)
{
    return getDataFolderFilePath(
        QStringLiteral("reports_I__%1_A__%2")
            .arg(sanitizeFileName(instrument), sanitizeFileName(audiogroup)));
}

QString tmpFolder(const QString &instrument, const QString &audiogroup)
{
    return getDataFolderFilePath(
        QStringLiteral("tmp_I__%1_A__%2")
            .arg(sanitizeFileName(instrument), sanitizeFileName(audiogroup)));
}

// The report of the last six hours of the logged day.
QString reportFile(const QString &instrument, const QString &audiogroup, const char *suffix)
{
    return QDir(reportsFolder(instrument, audiogroup))
        .filePath(QStringLiteral("Report_I__%1_A__%2_%3-%4%5")
                      .arg(sanitizeFileName(instrument), sanitizeFileName(audiogroup))
                      .arg(LoggedDay::kReportStart)
                      .arg(LoggedDay::kNewest)
                      .arg(QLatin1String(suffix)));
}

bool writeStore(const QString &instrument, const QString &audiogroup,
                const std::vector<AgData> &samples)
{
    auto model = freshStore(InstrumentConfig(instrument), agConfig(audiogroup));
    return ReportTest::store(*model, samples) == 0;
}

std::vector<AgData> archiveSamples()
{
    std::vector<AgData> samples;
    for (qint64 t = 0; t <= 18000000; t += 1000)
        samples.push_back(quietSample(t, 200));
    return samples;
}

SystemConfig unreachableMeters()
{
    SystemConfig config;
    config.setAcquisitionTimeout(2000);
    QList<InstrumentConfig> instruments;
    for (const auto &meter : {qMakePair(kStudio, QStringList{kMain, kBackUp}),
                              qMakePair(kRadio, QStringList{kMain, kArchive})}) {
        InstrumentConfig instrument(meter.first);
        instrument.setIpAdr(QStringLiteral("http://127.0.0.254"));
        QList<AgConfig> groups;
        for (const QString &name : meter.second)
            groups << agConfig(name);
        instrument.setAgConfigs(groups);
        instruments << instrument;
    }
    config.setInstruments(instruments);
    return config;
}

// For a person to look at, when KIV_SHOTS_DIR names a folder: a copy of a file, and the
// screen (under a real X server, through ImageMagick's import).
void keepForShots(const QString &file, const QString &name)
{
    const QString dir = QString::fromLocal8Bit(qgetenv("KIV_SHOTS_DIR"));
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    const QString target = QDir(dir).filePath(name);
    QFile::remove(target);
    if (file.isEmpty())
        QProcess::execute(QStringLiteral("import"),
                          {QStringLiteral("-window"), QStringLiteral("root"), target});
    else
        QFile::copy(file, target);
}

} // namespace

Q_DECLARE_METATYPE(Selection)

class TestReports : public QObject
{
    Q_OBJECT

    SystemHarness m_harness;
    int m_alertsBefore = 0;

    GenerateReportViewController *screen() const
    {
        return m_harness.system()->getGenerateReportViewController();
    }
    QWidget *dialog() const { return screen()->getView(); }
    template <typename T> T *dialogChild(const char *name) const
    {
        return dialog()->findChild<T *>(QLatin1String(name));
    }
    QTSystemView *window() const
    {
        return qobject_cast<QTSystemView *>(
            m_harness.system()->getSystemViewController()->getView());
    }
    template <typename T> T *windowChild(const char *name) const
    {
        return window()->findChild<T *>(QLatin1String(name));
    }

    // The audiogroups selected in the main window's list, as with Ctrl and the mouse.
    void select(const Selection &selection)
    {
        auto *list = windowChild<AgList>("list");
        list->clearSelection();
        for (auto group = selection.cbegin(); group != selection.cend(); ++group) {
            AgListItem *row = list->findAudioGroupItem(group.key(), group.value());
            QVERIFY(row);
            const QRect area = list->visualItemRect(row->getListWidgetItem());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, area.center());
        }
        QCOMPARE(list->getSelectedAudioGroups(), selection);
    }

    // The main window's "Generate Report" for the audiogroups selected there.
    void requestReports(const Selection &selection)
    {
        select(selection);
        if (QTest::currentTestFailed())
            return;
        QAction *entry = nullptr;
        for (QAction *action : windowChild<NUVMenu>("menuBar")->fileMenu()->actions()) {
            if (action->text() == QLatin1String("&Generate Report"))
                entry = action;
        }
        QVERIFY(entry && entry->isEnabled());
        entry->trigger();
    }

    QStringList newAlerts() const { return m_harness.system()->alerts().mid(m_alertsBefore); }
    // True when the alert box with this text is up.
    bool waitForAlertBox(const QString &text, int timeoutMs = 60000) const
    {
        return QTest::qWaitFor(
            [&] {
                for (KIVAlertBox *box : window()->getOpenAlertBoxes()) {
                    if (box->isVisible() &&
                        box->findChild<QLabel *>(QStringLiteral("alertTextLabel"))->text() == text)
                        return true;
                }
                return false;
            },
            timeoutMs);
    }
    void closeAlertBoxes()
    {
        while (!window()->getOpenAlertBoxes().isEmpty()) {
            KIVAlertBox *box = window()->getOpenAlertBoxes().first();
            UserInput::clickCentre(box->findChild<QPushButton *>("alertDismissButton"));
        }
    }

    // The converter beside the program: the real one, one that fails, one that writes its
    // temporary file and keeps running, or none.
    static bool useConverter(const QString &kind)
    {
        const QString path = HtmlToPdf::defaultProgramPath();
        QFile::remove(path);
        if (kind == QLatin1String("missing"))
            return true;
        if (kind == QLatin1String("real"))
            return QFile::link(QStringLiteral(KIV_HTML2PDF_PATH), path);
        return writeShellScript(path, kind == QLatin1String("fails")
                                          ? QByteArrayLiteral("exit 3")
                                          : QByteArrayLiteral("touch \"$5\"; exec sleep 60"));
    }

    // No temporary folder or file of any audiogroup, no PDF unless made, no converter. A
    // cancel is posted when the dialog goes, and done by the audiogroup's thread soon after.
    void verifyClean(const Selection &made)
    {
        for (const QString &instrument : {kStudio, kRadio}) {
            for (const QString &audiogroup : {kMain, kBackUp, kArchive}) {
                QTRY_VERIFY(!QFileInfo::exists(tmpFolder(instrument, audiogroup)));
                QTRY_VERIFY(!QFileInfo::exists(reportFile(instrument, audiogroup, ".tmp")));
                QCOMPARE(QFileInfo::exists(reportFile(instrument, audiogroup, ".pdf")),
                         made.contains(instrument, audiogroup));
            }
        }
        QTRY_COMPARE(childProcesses(), (QList<QPair<int, QChar>>{}));
    }

    // The main window's delete reaches its confirmation (answered "No") instead of being
    // refused.
    void verifyDeleteAccepted()
    {
        QVERIFY(!screen()->isBusy());
        const int alerts = m_harness.system()->alerts().size();
        QWidget *confirmation = m_harness.system()->getConfirmationViewController()->getView();
        select(selectionOf({{kStudio, kMain}}));
        UserInput::clickCentre(windowChild<QWidget>("remove"));
        QTRY_VERIFY_WITH_TIMEOUT(confirmation->isVisible(), 5000);
        UserInput::clickCentre(confirmation->findChild<QPushButton *>("cancelButton"));
        QTRY_VERIFY_WITH_TIMEOUT(confirmation->isHidden(), 5000);
        QVERIFY(m_harness.waitForIdle());
        QCOMPARE(m_harness.system()->alerts().size(), alerts);
    }

    void verifyDialogRunning()
    {
        QTRY_VERIFY(dialog()->isVisible());
        QCOMPARE(dialogChild<QLabel>("alertTextLabel")->text(),
                 QStringLiteral("Generating report for the last 6h logged data. Please wait."));
        QVERIFY(!dialogChild<QProgressBar>("progressBarContinous")->isHidden());
        QVERIFY(dialogChild<QProgressBar>("progressBar")->isHidden());
        QVERIFY(!dialogChild<QPushButton>("alertDismissButton")->isHidden());
    }

private slots:
    void initTestCase()
    {
        SystemHarness::initGui();
        QVERIFY(m_harness.start(unreachableMeters(), [] {
            const std::vector<AgData> day = LoggedDay::samples();
            for (const auto &group :
                 {qMakePair(kStudio, kMain), qMakePair(kStudio, kBackUp), qMakePair(kRadio, kMain)})
                QVERIFY(writeStore(group.first, group.second, day));
            QVERIFY(writeStore(kRadio, kArchive, archiveSamples()));
        }));
        QTRY_VERIFY_WITH_TIMEOUT(window() && window()->isVisible(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(windowChild<AgList>("list")->count(), 4, 10000);
    }

    void init()
    {
        closeAlertBoxes();
        m_alertsBefore = m_harness.system()->alerts().size();
        for (const QString &instrument : {kStudio, kRadio})
            for (const QString &audiogroup : {kMain, kBackUp, kArchive})
                QDir(reportsFolder(instrument, audiogroup)).removeRecursively();
    }

    void cleanupTestCase()
    {
        QVERIFY(m_harness.stop());
        QFile::remove(HtmlToPdf::defaultProgramPath());
    }

    void reportsMade_data()
    {
        QTest::addColumn<Selection>("selection");
        QTest::newRow("one audiogroup") << selectionOf({{kStudio, kMain}});
        QTest::newRow("three audiogroups")
            << selectionOf({{kStudio, kMain}, {kStudio, kBackUp}, {kRadio, kMain}});
    }

    // Each report covers the last six hours of its data, widened back to the start of the
    // first program, and the reports are made one after the other in the selection's order.
    void reportsMade()
    {
        QFETCH(Selection, selection);
        QVERIFY(useConverter(QStringLiteral("real")));
        requestReports(selection);
        verifyDialogRunning();
        QStringList folders;
        for (const ReportTaskState &state : screen()->getStates())
            folders << getAgReportsFolderPath(state.getInstrumentName(), state.getSourceName());
        const QString done =
            QStringLiteral("Reports generation completed successfully\n") +
            (folders.size() == 1 ? "Report folder: " + folders.first()
                                 : "Report folders:\n" + folders.join(QLatin1Char('\n')));
        QVERIFY(waitForAlertBox(done));
        // Besides, one box a report when no desktop opens its folder.
        QCOMPARE(newAlerts().filter(QStringLiteral("Reports generation")), QStringList{done});
        QTRY_VERIFY(!dialog()->isVisible());
        verifyClean(selection);
        closeAlertBoxes();

        QDateTime previous;
        for (const ReportTaskState &state : screen()->getStates()) {
            const QDateTime made =
                QFileInfo(reportFile(state.getInstrumentName(), state.getSourceName(), ".pdf"))
                    .lastModified();
            QVERIFY(!previous.isValid() || previous < made);
            previous = made;
        }
        QCOMPARE(int(screen()->getStates().size()), selection.size());

        keepForShots(reportFile(kStudio, kMain, ".pdf"), QStringLiteral("report.pdf"));
        QProcess text;
        text.start(
            QStringLiteral("pdftotext"),
            {QStringLiteral("-layout"), reportFile(kStudio, kMain, ".pdf"), QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString shown = QString::fromUtf8(text.readAllStandardOutput());
        // 2023-11-14 22:41:20 (program 101's start) to 2023-11-15 04:43:20 UTC.
        QVERIFY2(shown.contains(QLatin1String("14.11.2023-15.11.2023")), qPrintable(shown));
        QVERIFY(shown.contains(QLatin1String("22:41 - 04:43")));
        verifyDeleteAccepted();
    }

    void failures_data()
    {
        QTest::addColumn<QString>("converter");
        QTest::addColumn<QString>("message");
        QTest::newRow("converter fails")
            << "fails"
            << "Report generation failed; html to pdf conversion failed";
        QTest::newRow("converter missing")
            << "missing"
            << "Report generation failed; could not start html to pdf conversion";
    }

    // The first failure ends the run with its reason; the reports after it are not made.
    void failures()
    {
        QFETCH(QString, converter);
        QFETCH(QString, message);
        QVERIFY(useConverter(converter));
        // Radio 1 comes first.
        const Selection selection = selectionOf({{kStudio, kMain}, {kRadio, kMain}});
        requestReports(selection);
        const QString alert =
            QStringLiteral("Report generation failed for Radio 1 Main because: ") + message;
        QVERIFY(waitForAlertBox(alert));
        QCOMPARE(newAlerts(), QStringList{alert});
        QTRY_VERIFY(!dialog()->isVisible());
        verifyClean(Selection());
        QVERIFY(!screen()->getStates().back().isStarted());
        closeAlertBoxes();
        verifyDeleteAccepted();
    }

    void cancel_data()
    {
        QTest::addColumn<QString>("firstAudiogroup");
        QTest::addColumn<QString>("converter");
        QTest::newRow("while calculating") << kArchive << "real";
        QTest::newRow("while converting") << kMain << "slow";
    }

    // Cancel ends every report of the run at once and quietly; while the run goes, a second
    // request and a delete are refused.
    void cancel()
    {
        QFETCH(QString, firstAudiogroup);
        QFETCH(QString, converter);
        QVERIFY(useConverter(converter));
        const Selection selection =
            selectionOf({{kStudio, kMain}, {kStudio, kBackUp}, {kRadio, firstAudiogroup}});
        requestReports(selection);
        verifyDialogRunning();
        QTRY_VERIFY(screen()->getStates().front().isStarted());
        if (converter == QLatin1String("slow"))
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(reportFile(kRadio, kMain, ".tmp")), 20000);
        const std::vector<ReportTaskState> states = screen()->getStates();
        if (converter == QLatin1String("slow")) {
            QTest::qWait(200); // drawn
            keepForShots(QString(), QStringLiteral("report-screen.png"));
        }

        // The dialog keeps the main window from the user: the audiogroup window's request and
        // a delete come through the system front.
        QCOMPARE(m_harness.front()->startGenerateManualReport(selectionOf({{kStudio, kMain}}),
                                                              kSixHours),
                 0);
        QCOMPARE(m_harness.front()->removeAudiogroups(selectionOf({{kStudio, kMain}})), 0);
        const QString refused =
            QStringLiteral("Could not delete audiogroups; report generation in progress.");
        QVERIFY(waitForAlertBox(refused));
        closeAlertBoxes();
        QCOMPARE(screen()->getStates().size(), states.size());
        QCOMPARE(screen()->getStates().front().getNameKey(), states.front().getNameKey());

        QTest::mouseClick(dialogChild<QPushButton>("alertDismissButton"), Qt::LeftButton);
        QTRY_VERIFY(!screen()->isBusy());
        QTRY_VERIFY(!dialog()->isVisible());
        verifyClean(Selection());
        QCOMPARE(newAlerts(), QStringList{refused});
        verifyDeleteAccepted();
    }
};

KIV_TEST_MAIN(TestReports, QApplication)

#include "tst_reports.moc"
