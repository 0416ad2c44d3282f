// The main window and its controller against a recording system front: what the window
// shows for a given state, and what every control and menu entry asks of the system.
#include <FakeSystem.h>
#include <GuiShots.h>
#include <KivTest.h>
#include <UserInput.h>

#include <KivUtils.h>

#include <AgList.h>
#include <AgListButton.h>
#include <AgListItem.h>
#include <DoubleTextCheckboxButton.h>
#include <GUIFactory.h>
#include <KIVAlertBox.h>
#include <NUVCheckbox.h>
#include <NUVMenu.h>
#include <PlaceholderView.h>
#include <QTSystemView.h>
#include <SemaphoreWidget.h>
#include <SimpleButton.h>
#include <SystemCommand.h>
#include <SystemUIData.h>
#include <SystemViewController.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>

#include <functional>
#include <memory>

class TestMainWindow;
using Act = std::function<void(TestMainWindow *)>;
Q_DECLARE_METATYPE(Act)

namespace {

using Selection = QList<QPair<QString, QString>>;

struct Group
{
    QString instrument;
    QString name;
    bool imported = false;
    bool logging = true;
};

SystemConfig configOf(const QList<Group> &groups, bool acquisitionOn = true)
{
    SystemConfig config;
    config.setManualAcquisitionOn(acquisitionOn);
    QMap<QString, InstrumentConfig> instruments;
    for (const Group &group : groups) {
        if (!instruments.contains(group.instrument)) {
            InstrumentConfig instrument(group.instrument);
            instrument.setIpAdr(QStringLiteral("http://10.0.0.%1").arg(instruments.size() + 1));
            instruments.insert(group.instrument, instrument);
        }
        AgConfig ag(group.name);
        ag.setImported(group.imported);
        ag.setHasLoggingEnabled(group.logging);
        instruments[group.instrument].setAgConfig(ag);
    }
    config.setInstruments(instruments.values());
    return config;
}

// The audiogroups spread over meters of at most eight; the first one does not log.
SystemConfig configWithCount(int count, bool acquisitionOn)
{
    QList<Group> groups;
    for (int i = 0; i < count; ++i) {
        groups.append(
            {QStringLiteral("meter%1").arg(i / 8), QStringLiteral("pgm%1").arg(i), false, i > 0});
    }
    return configOf(groups, acquisitionOn);
}

// The ASystem operation behind each system controller command the main window posts.
QString operationOf(SystemCommand::Type command)
{
    switch (command) {
    case SystemCommand::StartAddInstrument:
        return QStringLiteral("startAddInstrument");
    case SystemCommand::RemoveAudiogroups:
        return QStringLiteral("removeAudiogroups");
    case SystemCommand::OpenSettings:
        return QStringLiteral("openSettings");
    case SystemCommand::StartManualAcquisition:
        return QStringLiteral("startManualAcquisition");
    case SystemCommand::StopManualAcquisition:
        return QStringLiteral("stopManualAcquisition");
    case SystemCommand::StartAutoAcquisition:
        return QStringLiteral("startAutoAcquisition");
    case SystemCommand::StopAutoAcquisition:
        return QStringLiteral("stopAutoAcquisition");
    case SystemCommand::EnableAgLogging:
        return QStringLiteral("enableAgLogging");
    case SystemCommand::DisableAgLogging:
        return QStringLiteral("disableAgLogging");
    case SystemCommand::ResetAgViolationStatus:
        return QStringLiteral("resetAgViolationStatus");
    case SystemCommand::ResetAgAcquisitionStatus:
        return QStringLiteral("resetAgAcquisitionStatus");
    case SystemCommand::StartGenerateManualReport:
        return QStringLiteral("startGenerateManualReport");
    case SystemCommand::RequestDbImport:
        return QStringLiteral("requestDbImport");
    default:
        return QString();
    }
}

QVariantList pairArgs(const Selection &selection)
{
    QVariantList args;
    for (const auto &pair : selection)
        args.append(QVariant(QStringList{pair.first, pair.second}));
    return args;
}

// Counts the events of one type that reach the objects it watches.
class EventCounter : public QObject
{
public:
    explicit EventCounter(QEvent::Type type) : m_type(type) {}
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type)
            ++count;
        return false;
    }
    int count = 0;

private:
    QEvent::Type m_type;
};

using UserInput::clickCentre;
using UserInput::clickCheckBox;

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void rowsFollowTheConfiguration();
    void lightsFollowTheStatus();
    void globalLightTakesTheWorstState_data();
    void globalLightTakesTheWorstState();
    void footerFollowsTheSelection_data();
    void footerFollowsTheSelection();
    void actionsPost_data();
    void actionsPost();
    void alertBoxesStackAndCloseOnTheirOwn();
    void alertBoxOpensOverItsWindowAndAnswersReturn_data();
    void alertBoxOpensOverItsWindowAndAnswersReturn();
    void menuEntriesFollowTheWindowKind_data();
    void menuEntriesFollowTheWindowKind();

private:
    // Hands the state to the controller and lets its tick reach the window.
    void push(const SystemConfig &config, const QList<AcquisitionAg> &status = {});
    // The same, with the configuration as it was.
    void refresh(const QList<AcquisitionAg> &status);
    AgList *list() const;
    AgListItem *row(int index) const;
    template <typename T> T *rowChild(int index, const char *name) const
    {
        return row(index)->findChild<T *>(QString::fromLatin1(name));
    }
    template <typename T> T *child(const char *name) const
    {
        return m_view->findChild<T *>(QString::fromLatin1(name));
    }
    QStringList rowTexts() const;
    void select(const QList<int> &rows);
    QAction *menuEntry(const QString &text) const;

    std::unique_ptr<FakeSystem> m_fake;
    std::unique_ptr<SystemViewController> m_controller;
    QTSystemView *m_view = nullptr;
    qint64 m_now = 0;
};

void TestMainWindow::initTestCase()
{
    qRegisterMetaType<SystemUIData>("SystemUIData");
    GUIFactory::getInstance()->init();
    QTSystemView::registerCreator();
}

void TestMainWindow::init()
{
    m_fake = std::make_unique<FakeSystem>();
    m_controller = std::make_unique<SystemViewController>();
    QCOMPARE(m_controller->init(), 0);
    m_view = qobject_cast<QTSystemView *>(m_controller->getView());
    QVERIFY(m_view);
    QVERIFY(m_view->isHidden());
    m_now = monotonicMSecs();
    m_view->setStatusLightsClock([this] { return m_now; });
    emit m_controller->show();
    QTRY_VERIFY(m_view->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(m_view));
}

void TestMainWindow::cleanup()
{
    m_controller.reset();
    m_view = nullptr;
    m_fake.reset();
}

void TestMainWindow::push(const SystemConfig &config, const QList<AcquisitionAg> &status)
{
    m_controller->updateSystemConfig(config);
    refresh(status);
}

void TestMainWindow::refresh(const QList<AcquisitionAg> &status)
{
    m_controller->updateAcquisitionStatus(status);
    m_controller->onUpdateTimer();
    QCoreApplication::sendPostedEvents(m_view);
}

AgList *TestMainWindow::list() const
{
    return child<AgList>("list");
}

AgListItem *TestMainWindow::row(int index) const
{
    return list()->getRows().value(index);
}

QStringList TestMainWindow::rowTexts() const
{
    QStringList texts;
    for (AgListItem *item : list()->getRows()) {
        texts << QStringLiteral("%1 %2/%3").arg(item->findChild<QLabel *>("indexLabel")->text(),
                                                item->getInstrumentName(),
                                                item->getAgSourceName());
    }
    return texts;
}

void TestMainWindow::select(const QList<int> &rows)
{
    list()->clearSelection();
    for (int index : rows) {
        const QRect area = list()->visualItemRect(row(index)->getListWidgetItem());
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::ControlModifier, area.center());
    }
}

QAction *TestMainWindow::menuEntry(const QString &text) const
{
    auto *bar = child<NUVMenu>("menuBar");
    for (QMenu *menu : {bar->fileMenu(), bar->editMenu(), bar->helpMenu()}) {
        for (QAction *action : menu->actions()) {
            if (action->text() == text)
                return action;
        }
    }
    return nullptr;
}

void TestMainWindow::rowsFollowTheConfiguration()
{
    // Before the first state: an empty list, START, DELETE disabled, yellow lights.
    QCOMPARE(m_view->windowTitle(), QStringLiteral("KIV"));
    QCOMPARE(m_view->size(), QSize(1024, 722));
    QCOMPARE(list()->count(), 0);
    QCOMPARE(child<DoubleTextCheckboxButton>("startStop")->text(), QStringLiteral("START"));
    QVERIFY(!child<SimpleButton>("remove")->isEnabled());
    QCOMPARE(child<SemaphoreWidget>("globalStatusSemaphore")->getState(), 3);
    QCOMPARE(child<SemaphoreWidget>("globalLogSemaphore")->getState(), 3);

    // A first fill goes by instrument name, then source name; the address loses "http://".
    const QString longName = QStringLiteral("A very long audiogroup name for one button");
    const QString longDevice = QStringLiteral("Outside broadcast van number two");
    push(configOf({{"B", "x"},
                   {"B", "a", false, false},
                   {"A", "z", true},
                   {longDevice, longName}}));
    KivTest::saveShot(m_view, QStringLiteral("main-rows"));
    QCOMPARE(rowTexts(), QStringList({"1 A/z", "2 B/a", "3 B/x",
                                      "4 " + longDevice + "/" + longName}));
    QCOMPARE(rowChild<QLabel>(1, "ipLabel")->text(), QStringLiteral("10.0.0.1"));
    QCOMPARE(rowChild<QLabel>(1, "deviceLabel")->text(), QStringLiteral("B"));

    // The imported mark in place of the logging box; the box shows the configured switch.
    QVERIFY(rowChild<NUVCheckbox>(0, "checkBox")->isHidden());
    QVERIFY(!rowChild<QLabel>(0, "importedIndicator")->isHidden());
    QCOMPARE(rowChild<QLabel>(0, "importedIndicator")->toolTip(),
             QStringLiteral("This audiogroup is imported; logging and live mode are not "
                            "available."));
    QVERIFY(!rowChild<NUVCheckbox>(1, "checkBox")->isHidden());
    QVERIFY(rowChild<QLabel>(1, "importedIndicator")->isHidden());
    QVERIFY(!rowChild<NUVCheckbox>(1, "checkBox")->isChecked());
    QVERIFY(rowChild<NUVCheckbox>(2, "checkBox")->isChecked());

    // Names too wide are shortened at the right end, whole in the tool tip.
    auto *button = rowChild<AgListButton>(3, "AgListButton");
    QCOMPARE(button->toolTip(), longName);
    QVERIFY2(button->labelText().endsWith(QChar(0x2026)), qPrintable(button->labelText()));
    QVERIFY(longName.startsWith(button->labelText().chopped(1)));
    auto *device = rowChild<QLabel>(3, "deviceLabel");
    QCOMPARE(device->toolTip(), longDevice);
    QVERIFY2(device->text().endsWith(QChar(0x2026)), qPrintable(device->text()));
    QCOMPARE(rowChild<AgListButton>(2, "AgListButton")->labelText(), QStringLiteral("x"));

    // A new audiogroup is appended, not sorted in; a removed one closes its gap.
    push(configOf({{"B", "x"}, {"B", "a"}, {"A", "z", true}, {"A", "b"}}));
    QCOMPARE(rowTexts(), QStringList({"1 A/z", "2 B/a", "3 B/x", "4 A/b"}));
    push(configOf({{"B", "x"}, {"A", "z", true}, {"A", "b"}}));
    QCOMPARE(rowTexts(), QStringList({"1 A/z", "2 B/x", "3 A/b"}));
    QCOMPARE(list()->count(), 3);
    // A removed row goes later, and Qt's own bookkeeping hears of it: a new application
    // style sheet (each system start sets one) must find no trace of it.
    {
        const QString menuSheet = QStringLiteral("QMenuBar {background-color: white;}");
        qApp->setStyleSheet(menuSheet);
        auto window = std::make_unique<QTSystemView>(kViewTypeSystem, nullptr);
        window->show();
        SystemUIData state;
        state.setSystemConfig(configOf({{"B", "x"}, {"C", "c"}}));
        window->update(state);
        QPointer<QWidget> removed =
            window->findChild<AgList *>("list")->findAudioGroupItem("C", "c");
        state.setSystemConfig(configOf({{"B", "x"}}));
        window->update(state);
        QTRY_VERIFY(removed.isNull());
        window.reset();
        qApp->setStyleSheet(menuSheet + QLatin1Char(' '));
        qApp->setStyleSheet(QString());
    }

    // Every row takes the list's width less 34 px (but not less than its own minimum).
    for (AgListItem *item : list()->getRows())
        QCOMPARE(item->getListWidgetItem()->sizeHint(), QSize(list()->width() - 34, 60));
    m_view->resize(1200, 722);
    QTRY_COMPARE(list()->width(), 1200);
    for (AgListItem *item : list()->getRows()) {
        QCOMPARE(item->width(), 1200 - 34);
        QCOMPARE(item->getListWidgetItem()->sizeHint(), QSize(1200 - 34, 60));
    }
}

void TestMainWindow::lightsFollowTheStatus()
{
    const SystemConfig config = configOf({{"M", "fresh"},
                                          {"M", "late"},
                                          {"M", "lost"},
                                          {"M", "connecting"},
                                          {"M", "stopped", false, false},
                                          {"M", "old", true}});
    auto record = [&config](const QString &name, bool connected) {
        AcquisitionAg status(config.getInstrument("M"), config.getAgConfig("M", name));
        if (connected)
            status.setConnected();
        return status;
    };
    const QList<AcquisitionAg> status{record("fresh", true), record("late", true),
                                      record("lost", true), record("connecting", false),
                                      record("stopped", true), record("old", false)};
    const qint64 start = monotonicMSecs();

    // A new row is gray until its first record; the window hands every row its record
    // within the same update.
    m_now = start;
    push(config, status);
    auto lights = [this](const QString &name) {
        AgListItem *item = list()->findAudioGroupItem("M", name);
        auto *connection = item->findChild<SemaphoreWidget *>("statusSemaphore");
        auto *violation = item->findChild<SemaphoreWidget *>("logSemaphore");
        return QStringLiteral("%1 %2 %3 %4")
            .arg(connection->getState())
            .arg(connection->getState() == 0 ? connection->getMessage() : QString())
            .arg(violation->getState())
            .arg(violation->getState() == 0 ? violation->getMessage() : QString())
            .simplified();
    };
    QCOMPARE(lights("fresh"), QStringLiteral("1 1"));
    QCOMPARE(lights("connecting"), QStringLiteral("0 Connecting ... 0 Connecting ..."));
    QCOMPARE(lights("stopped"), QStringLiteral("4 4"));
    QCOMPARE(lights("old"), QStringLiteral("0 1"));

    // The same records again set nothing on the rows: each tool tip set, even an equal one,
    // has the style sheet looked at again.
    EventCounter tips(QEvent::ToolTipChange);
    for (SemaphoreWidget *light : list()->findChildren<SemaphoreWidget *>())
        light->installEventFilter(&tips);
    refresh(status);
    QCOMPARE(tips.count, 0);
    QCOMPARE(lights("connecting"), QStringLiteral("0 Connecting ... 0 Connecting ..."));

    // The lights age the records at every update, the configuration unchanged: late after
    // 15 s, lost after 50 s; a connection that never comes is red after 30 s.
    const QStringList rows = rowTexts();
    m_now = start + 20000;
    refresh(status);
    QCOMPARE(rowTexts(), rows);
    select({0});
    KivTest::saveShot(m_view, QStringLiteral("main-lights"));
    QCOMPARE(lights("late"), QStringLiteral("3 1"));
    QCOMPARE(lights("connecting"), QStringLiteral("0 Connecting ... 0 Connecting ..."));
    QCOMPARE(child<SemaphoreWidget>("globalStatusSemaphore")->getState(), 3);
    m_now = start + 60000;
    refresh(status);
    QCOMPARE(lights("lost"), QStringLiteral("2 1"));
    QCOMPARE(lights("connecting"), QStringLiteral("2 2"));
    QCOMPARE(child<SemaphoreWidget>("globalStatusSemaphore")->getState(), 2);
    QCOMPARE(lights("stopped"), QStringLiteral("4 4"));
    QCOMPARE(lights("old"), QStringLiteral("0 1"));

    // Logging off for the whole system grays every light but the imported one's.
    SystemConfig off = config;
    off.setManualAcquisitionOn(false);
    push(off, status);
    QCOMPARE(lights("fresh"), QStringLiteral("4 4"));
    QCOMPARE(lights("lost"), QStringLiteral("4 4"));
    QCOMPARE(child<DoubleTextCheckboxButton>("startStop")->text(), QStringLiteral("START"));
    push(config, status);
    QCOMPARE(child<DoubleTextCheckboxButton>("startStop")->text(), QStringLiteral("STOP"));

    // The two global lights take no clicks; the row lights ask for resets.
    m_fake->clearCalls();
    clickCentre(child<SemaphoreWidget>("globalStatusSemaphore"));
    clickCentre(child<SemaphoreWidget>("globalLogSemaphore"));
    QCOMPARE(m_fake->callNames(), QStringList());
}

void TestMainWindow::globalLightTakesTheWorstState_data()
{
    QTest::addColumn<QList<int>>("states");   // one light per audiogroup
    QTest::addColumn<QList<bool>>("imported"); // the same length
    QTest::addColumn<int>("global");

    QTest::newRow("nothing configured") << QList<int>{} << QList<bool>{} << 4;
    QTest::newRow("red beats yellow") << QList<int>{3, 2, 1} << QList<bool>{false, false, false}
                                      << 2;
    QTest::newRow("yellow beats green") << QList<int>{1, 3} << QList<bool>{false, false} << 3;
    QTest::newRow("all green") << QList<int>{1, 1} << QList<bool>{false, false} << 1;
    QTest::newRow("imported red counts for nothing")
        << QList<int>{2, 1} << QList<bool>{true, false} << 1;
    QTest::newRow("only imported") << QList<int>{2, 3} << QList<bool>{true, true} << 4;
    QTest::newRow("messages and gray") << QList<int>{0, 4} << QList<bool>{false, false} << 4;
}

void TestMainWindow::globalLightTakesTheWorstState()
{
    QFETCH(QList<int>, states);
    QFETCH(QList<bool>, imported);
    QFETCH(int, global);
    QList<StatusLightDescription> descriptions;
    for (int i = 0; i < states.size(); ++i) {
        StatusLightDescription d;
        d.imported = imported.at(i);
        d.connectionState = states.at(i);
        d.violationState = states.at(i);
        descriptions.append(d);
    }
    QCOMPARE(QTSystemView::worstConnectionState(descriptions), global);
    QCOMPARE(QTSystemView::worstViolationState(descriptions), global);
}

void TestMainWindow::footerFollowsTheSelection_data()
{
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<bool>("acquisitionOn");
    QTest::addColumn<QString>("logging"); // empty: hidden
    QTest::addColumn<QString>("preset");  // empty: hidden
    QTest::addColumn<QString>("change");

    const QString yes = QTSystemView::loggingActiveText(true);
    const QString no = QTSystemView::loggingActiveText(false);
    const QString hint = QTSystemView::selectionHint();
    // Rows: 1 Studio/Main (logging), 2 Studio/Spare (logging off), 3 Archive/Old (imported).
    QTest::newRow("nothing selected") << QList<int>{} << true << hint << "" << "";
    QTest::newRow("one logging") << QList<int>{0} << true << yes
                                 << "Current device preset: Evening"
                                 << "Last device configuration change: 01/02/2024 10:30";
    QTest::newRow("logging off for it") << QList<int>{1} << true << no
                                        << "Current device preset: Evening"
                                        << "Last device configuration change: 01/02/2024 10:30";
    QTest::newRow("logging off for all") << QList<int>{0} << false << no
                                         << "Current device preset: Evening"
                                         << "Last device configuration change: 01/02/2024 10:30";
    QTest::newRow("imported, no preset")
        << QList<int>{2} << true << no << "Current device preset: N/A"
        << "Last device configuration change: N/A";
    QTest::newRow("two selected") << QList<int>{0, 2} << true << hint << "" << "";
}

void TestMainWindow::footerFollowsTheSelection()
{
    QFETCH(QList<int>, selected);
    QFETCH(bool, acquisitionOn);
    auto *loggingActive = child<QLabel>("loggingActive");
    auto *presetLabel = child<QLabel>("currentPreset");
    auto *changeLabel = child<QLabel>("lastConfigurationChange");
    auto *remove = child<SimpleButton>("remove");

    // Nothing configured: no footer, gray lights, DELETE disabled.
    push(SystemConfig());
    QVERIFY(loggingActive->isHidden() && presetLabel->isHidden() && changeLabel->isHidden());
    QCOMPARE(child<SemaphoreWidget>("globalStatusSemaphore")->getState(), 4);
    QCOMPARE(child<SemaphoreWidget>("globalLogSemaphore")->getState(), 4);
    QVERIFY(!remove->isEnabled());

    SystemConfig config = configOf({{"Studio", "Main"},
                                    {"Studio", "Spare", false, false},
                                    {"Archive", "Old", true}},
                                   acquisitionOn);
    InstrumentConfig studio = config.getInstrument("Studio");
    studio.setPresetName(QStringLiteral("Evening"));
    studio.setLastConfigurationChange(QStringLiteral("01/02/2024 10:30"));
    config.addOrUpdateInstrument(studio);
    InstrumentConfig archive = config.getInstrument("Archive");
    archive.setPresetName(QString());
    archive.setLastConfigurationChange(QString());
    config.addOrUpdateInstrument(archive);
    push(config);
    QCOMPARE(rowTexts(), QStringList({"1 Archive/Old", "2 Studio/Main", "3 Studio/Spare"}));
    const QList<int> order{1, 2, 0}; // row of Main, Spare, Old
    QList<int> rows;
    for (int i : selected)
        rows << order.at(i);
    select(rows);
    QCOMPARE(remove->isEnabled(), !selected.isEmpty());

    QFETCH(QString, logging);
    QFETCH(QString, preset);
    QFETCH(QString, change);
    QCOMPARE(loggingActive->text(), logging);
    QCOMPARE(presetLabel->isHidden(), preset.isEmpty());
    QCOMPARE(changeLabel->isHidden(), change.isEmpty());
    if (!preset.isEmpty()) {
        QCOMPARE(presetLabel->text(), preset);
        QCOMPARE(changeLabel->text(), change);
    }

    // The footer follows the state, not only the clicks: a selected audiogroup that was
    // just deleted shows the hint, never stale details.
    if (selected == QList<int>{0}) {
        config.removeAgConfig("Studio", "Main");
        config.addOrUpdateInstrument(config.getInstrument("Studio"));
        push(config);
        QCOMPARE(loggingActive->text(), QTSystemView::selectionHint());
        QVERIFY(presetLabel->isHidden());
    }
}

void TestMainWindow::actionsPost_data()
{
    QTest::addColumn<int>("configured");
    QTest::addColumn<Act>("act");
    QTest::addColumn<QString>("operation"); // the ASystem operation, when not a command
    QTest::addColumn<int>("command");       // SystemCommand, -1 when none
    QTest::addColumn<QVariantList>("args");

    auto clickNamed = [](const char *name) -> Act {
        return [name](TestMainWindow *t) { clickCentre(t->child<QWidget>(name)); };
    };
    auto trigger = [](const QString &text) -> Act {
        return [text](TestMainWindow *t) {
            QAction *action = t->menuEntry(text);
            QVERIFY2(action, qPrintable(text));
            QVERIFY(action->isEnabled());
            action->trigger();
        };
    };
    auto none = QVariantList{};
    const QString limit = QStringLiteral(
        "You cannot add a new device because the maximum allowed limit has been reached.");

    QTest::newRow("ADD") << 19 << clickNamed("add") << "" << int(SystemCommand::StartAddInstrument)
                         << none;
    QTest::newRow("ADD with 20 configured") << 20 << clickNamed("add") << "showAlert" << -1
                                            << QVariantList{limit};
    QTest::newRow("DELETE two rows")
        << 3
        << Act([](TestMainWindow *t) {
               t->select({0, 2});
               clickCentre(t->child<QWidget>("remove"));
           })
        << "" << int(SystemCommand::RemoveAudiogroups)
        << pairArgs({{"meter0", "pgm0"}, {"meter0", "pgm2"}});
    QTest::newRow("DELETE with nothing selected")
        << 3 << clickNamed("remove") << "" << -1 << none;
    QTest::newRow("START") << 2 << clickNamed("startStop") << ""
                           << int(SystemCommand::StartManualAcquisition) << none;
    QTest::newRow("STOP") << -2 << clickNamed("startStop") << ""
                          << int(SystemCommand::StopManualAcquisition) << none;
    QTest::newRow("automatic on")
        << 2 << Act([](TestMainWindow *t) { t->m_view->onAutoButtonClick(true); }) << ""
        << int(SystemCommand::StartAutoAcquisition) << none;
    QTest::newRow("automatic off")
        << 2 << Act([](TestMainWindow *t) { t->m_view->onAutoButtonClick(false); }) << ""
        << int(SystemCommand::StopAutoAcquisition) << none;
    QTest::newRow("logging box of a logging row")
        << 2 << Act([](TestMainWindow *t) { clickCheckBox(t->rowChild<QCheckBox>(1, "checkBox")); })
        << "" << int(SystemCommand::DisableAgLogging) << QVariantList{"meter0", "pgm1"};
    QTest::newRow("logging box of a row not logging")
        << 2 << Act([](TestMainWindow *t) { clickCheckBox(t->rowChild<QCheckBox>(0, "checkBox")); })
        << "" << int(SystemCommand::EnableAgLogging) << QVariantList{"meter0", "pgm0"};
    QTest::newRow("status light of a row")
        << 2 << Act([](TestMainWindow *t) {
               clickCentre(t->rowChild<QWidget>(1, "statusSemaphore"));
           })
        << "" << int(SystemCommand::ResetAgAcquisitionStatus) << QVariantList{"meter0", "pgm1"};
    QTest::newRow("violation light of a row")
        << 2 << Act([](TestMainWindow *t) {
               clickCentre(t->rowChild<QWidget>(0, "logSemaphore"));
           })
        << "" << int(SystemCommand::ResetAgViolationStatus) << QVariantList{"meter0", "pgm0"};
    QTest::newRow("audiogroup button, nothing to show")
        << 2 << Act([](TestMainWindow *t) {
               clickCentre(t->rowChild<QWidget>(0, "AgListButton"));
           })
        << "" << -1 << none;
    QTest::newRow("Import Log with 20 configured")
        << 20 << trigger("&Import Log") << "showAlert" << -1
        << QVariantList{QStringLiteral("Could not import log file because the max audiogroup "
                                       "count limit has been reached.")};
    QTest::newRow("Manage Backups") << 2 << trigger("&Manage Backups") << "showBackupManager"
                                    << -1 << none;
    QTest::newRow("Generate Report with a selection")
        << 3
        << Act([trigger](TestMainWindow *t) {
               t->select({1});
               trigger("&Generate Report")(t);
           })
        << "" << int(SystemCommand::StartGenerateManualReport)
        << (pairArgs({{"meter0", "pgm1"}}) << qint64(21600000));
    QTest::newRow("Generate Report with nothing selected")
        << 3 << trigger("&Generate Report") << "" << int(SystemCommand::StartGenerateManualReport)
        << QVariantList{qint64(21600000)};
    QTest::newRow("Quit") << 2 << trigger("&Quit") << "close" << -1 << none;
    QTest::newRow("closing by the frame")
        << 2 << Act([](TestMainWindow *t) { t->m_view->close(); }) << "close" << -1 << none;
    QTest::newRow("Settings") << 2 << trigger("&Settings") << ""
                              << int(SystemCommand::OpenSettings) << none;
    QTest::newRow("Documentation, missing")
        << 2 << trigger("&Documentation") << "showAlert" << -1
        << QVariantList{QStringLiteral("The documentation file has been removed or is missing")};
    QTest::newRow("About") << 2 << trigger("&About") << "showAboutWindow" << -1 << none;
}

void TestMainWindow::actionsPost()
{
    QFETCH(int, configured); // negative: that many with logging on for the whole system
    QFETCH(Act, act);
    QFETCH(QString, operation);
    QFETCH(int, command);
    QFETCH(QVariantList, args);

    const SystemConfig config = configWithCount(qAbs(configured), configured < 0);
    m_fake->setCurrentConfig(config);
    push(config);
    const QString startStopText = child<DoubleTextCheckboxButton>("startStop")->text();
    const QStringList boxes{rowChild<QCheckBox>(0, "checkBox")->isChecked() ? "on" : "off",
                            rowChild<QCheckBox>(1, "checkBox")->isChecked() ? "on" : "off"};
    m_fake->clearCalls();

    act(this);
    if (QTest::currentTestFailed())
        return;

    const QString expected =
        command >= 0 ? operationOf(static_cast<SystemCommand::Type>(command)) : operation;
    if (expected.isEmpty()) {
        QCOMPARE(m_fake->callNames(), QStringList());
    } else {
        QCOMPARE(m_fake->callNames(), QStringList{expected});
        QCOMPARE(m_fake->lastCall(expected).args, args);
    }

    // Controls that stand for a state show the state, not the click.
    QCOMPARE(child<DoubleTextCheckboxButton>("startStop")->text(), startStopText);
    QCOMPARE(QStringList({rowChild<QCheckBox>(0, "checkBox")->isChecked() ? "on" : "off",
                          rowChild<QCheckBox>(1, "checkBox")->isChecked() ? "on" : "off"}),
             boxes);
    QVERIFY(m_view->isVisible());
}

void TestMainWindow::alertBoxesStackAndCloseOnTheirOwn()
{
    m_controller->showAlertMessage(QStringLiteral("First"));
    m_controller->showAlertMessage(QStringLiteral("Second"));
    QTRY_COMPARE(m_view->getOpenAlertBoxes().size(), 2);
    QPointer<KIVAlertBox> first = m_view->getOpenAlertBoxes().at(0);
    QPointer<KIVAlertBox> second = m_view->getOpenAlertBoxes().at(1);
    QVERIFY(first->isVisible() && second->isVisible());
    QCOMPARE(first->findChild<QLabel *>("alertTextLabel")->text(), QStringLiteral("First"));
    QCOMPARE(second->findChild<QLabel *>("alertTextLabel")->text(), QStringLiteral("Second"));
    auto *ok = first->findChild<QPushButton *>("alertDismissButton");
    QCOMPARE(ok->text(), QStringLiteral("OK"));

    clickCentre(ok);
    QCOMPARE(m_view->getOpenAlertBoxes(), QList<KIVAlertBox *>{second.data()});
    QTRY_VERIFY(first.isNull());
    QVERIFY(second->isVisible());
    clickCentre(second->findChild<QPushButton *>("alertDismissButton"));
    QTRY_VERIFY(second.isNull());
    QVERIFY(m_view->getOpenAlertBoxes().isEmpty());
}

void TestMainWindow::alertBoxOpensOverItsWindowAndAnswersReturn_data()
{
    QTest::addColumn<QRect>("usedWindow"); // the window in use; none: the main window
    QTest::addColumn<bool>("centred");     // else moved inside the screen
    QTest::newRow("main window") << QRect() << true;
    QTest::newRow("window in use") << QRect(100, 80, 400, 300) << true;
    QTest::newRow("window at the screen's right edge") << QRect(560, 200, 240, 200) << false;
    QTest::newRow("window in use after its file dialog") << QRect(60, 40, 500, 400) << true;
}

void TestMainWindow::alertBoxOpensOverItsWindowAndAnswersReturn()
{
    QFETCH(QRect, usedWindow);
    QFETCH(bool, centred);
    m_view->move(0, 0);
    QWidget other;
    QWidget *owner = m_view;
    if (!usedWindow.isNull()) {
        other.setGeometry(usedWindow);
        other.show();
        other.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &other);
        owner = &other;
    }
    if (QByteArray(QTest::currentDataTag()).endsWith("file dialog")) {
        // A dialog of the window took the focus and went away before the box came.
        QWidget dialog;
        dialog.setGeometry(700, 500, 100, 100);
        dialog.show();
        dialog.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &dialog);
    }
    m_controller->showAlertMessage(QStringLiteral("Export operation completed successfully"));
    QTRY_COMPARE(m_view->getOpenAlertBoxes().size(), 1);
    QPointer<KIVAlertBox> box = m_view->getOpenAlertBoxes().first();
    const QRect frame = box->frameGeometry();
    QVERIFY(box->screen()->availableGeometry().contains(frame));
    const QPoint offCentre = frame.center() - owner->frameGeometry().center();
    QVERIFY2(qAbs(offCentre.y()) <= 1, qPrintable(QString::number(frame.y())));
    if (centred)
        QVERIFY2(qAbs(offCentre.x()) <= 1, qPrintable(QString::number(frame.x())));
    else
        QCOMPARE(frame.right(), box->screen()->availableGeometry().right());

    // The keyboard is on OK at once, and Return answers it.
    auto *ok = box->findChild<QPushButton *>("alertDismissButton");
    QTRY_COMPARE(QApplication::activeWindow(), box.data());
    QCOMPARE(QApplication::focusWidget(), ok);
    QVERIFY(ok->isDefault());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(m_view->getOpenAlertBoxes().isEmpty());
    QTRY_VERIFY(box.isNull());
}

void TestMainWindow::menuEntriesFollowTheWindowKind_data()
{
    QTest::addColumn<int>("viewType");
    QTest::addColumn<QStringList>("file");
    QTest::newRow("main window")
        << int(kViewTypeSystem)
        << QStringList{"&Import Log", "&Manage Backups", "&Generate Report", "&Quit"};
    QTest::newRow("audiogroup window")
        << int(kViewTypeAg)
        << QStringList{"&Import Log", "&Export Log", "&Generate Report", "&Quit"};
}

void TestMainWindow::menuEntriesFollowTheWindowKind()
{
    QFETCH(int, viewType);
    QFETCH(QStringList, file);
    std::unique_ptr<AView> other;
    AView *view = m_view;
    if (viewType != kViewTypeSystem) {
        other = std::make_unique<PlaceholderView>(static_cast<ViewType>(viewType), nullptr);
        view = other.get();
    }
    NUVMenu *bar = view == m_view ? child<NUVMenu>("menuBar") : new NUVMenu(view);
    if (view != m_view)
        bar->setupMenus(view);

    auto texts = [](QMenu *menu) {
        QStringList list;
        for (QAction *action : menu->actions()) {
            list << action->text();
            if (!action->isEnabled())
                list << QStringLiteral("(disabled)");
        }
        return list;
    };
    QCOMPARE(bar->fileMenu()->title(), QStringLiteral("&File"));
    QCOMPARE(texts(bar->fileMenu()), file);
    QCOMPARE(texts(bar->editMenu()), QStringList{"&Settings"});
    QCOMPARE(texts(bar->helpMenu()), QStringList({"&Documentation", "&About"}));
    QVERIFY(qobject_cast<QLabel *>(bar->cornerWidget(Qt::TopLeftCorner)));

    // The window's own entry reaches its signal within the trigger.
    if (viewType == kViewTypeAg) {
        QSignalSpy exports(view, &AView::menuExportLog);
        bar->fileMenu()->actions().at(1)->trigger();
        QCOMPARE(exports.count(), 1);
    }
}

KIV_TEST_MAIN(TestMainWindow, QApplication)
#include "tst_mainwindow.moc"
