// The audiogroup window's header controls: the plot-value buttons, the page tabs and the
// zoom selector.
#include <AgViewZoomButton.h>
#include <AgViewZoomSelector.h>
#include <FakeSystem.h>
#include <GuiShots.h>
#include <KivConstants.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <PlotValueSelectionCheckbox.h>
#include <TabBarSelector.h>

#include <QApplication>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>

namespace {

// Whether the button shows its pressed dark face (selected) rather than the raised light one.
bool showsPressedFace(QWidget *button)
{
    auto visible = [button](const char *name) {
        return button->findChild<QWidget *>(QLatin1String(name))->isVisibleTo(button);
    };
    const bool pressed = visible("backgroundOff") && visible("shadowOff") && visible("shadowOff_2");
    const bool raised = visible("backgroundOn") && visible("shadowOn");
    return pressed && !raised;
}

// The strip lies under a faint shadow gradient.
bool nearColour(const QColor &actual, const QColor &expected)
{
    return qAbs(actual.red() - expected.red()) <= 8 &&
           qAbs(actual.green() - expected.green()) <= 8 &&
           qAbs(actual.blue() - expected.blue()) <= 8;
}

QString stripSheet(PlotValueSelectionCheckbox &button)
{
    return button.findChild<QLabel *>(QStringLiteral("indicator"))->styleSheet();
}

SystemConfig configWithRanges(const QList<int> &ranges)
{
    SystemConfig config;
    config.setRangeSettings(ranges);
    return config;
}

struct ZoomRow
{
    QString label;
    int x;
    bool checked;
};

QVector<ZoomRow> zoomRows(const AgViewZoomSelector &selector)
{
    QVector<ZoomRow> rows;
    for (AgViewZoomButton *button : selector.buttons())
        rows.append({button->text(), button->x(), button->isChecked()});
    return rows;
}

} // namespace

Q_DECLARE_METATYPE(QList<int>)

class TestAgViewControls : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qRegisterMetaType<PlotValue>("PlotValue");
        qRegisterMetaType<ZoomLevel>("ZoomLevel");
    }

    void plotValueButtonAsksAndShowsWhatItIsGiven_data()
    {
        QTest::addColumn<int>("plotValue");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QString>("strip");
        QTest::newRow("TP not selected") << 1 << false << "rgba(255, 255, 0, 255)";
        QTest::newRow("M not selected") << 2 << false << "rgba(2, 254, 255, 255)";
        QTest::newRow("S selected") << 3 << true << "rgba(255, 0, 254, 255)";
        QTest::newRow("I selected") << 4 << true << "rgba(0, 255, 0, 255)";
    }
    void plotValueButtonAsksAndShowsWhatItIsGiven()
    {
        QFETCH(int, plotValue);
        QFETCH(bool, selected);
        QFETCH(QString, strip);
        QWidget window;
        PlotValueSelectionCheckbox button(&window);
        button.setText(QStringLiteral("M"));
        button.setPlotValue(PlotValue(plotValue));
        button.setSelected(selected);
        window.show();
        QCOMPARE(button.isVisible(), true);
        QCOMPARE(stripSheet(button), QStringLiteral("background-color: %1;").arg(strip));

        QSignalSpy asked(&button, &PlotValueSelectionCheckbox::onCheck);
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(23, 30));
        QCOMPARE(asked.count(), 1);
        QCOMPARE(asked.at(0).at(0).toBool(), !selected);
        QCOMPARE(asked.at(0).at(1).value<PlotValue>(), PlotValue(plotValue));
        // The click alone changes nothing that is shown.
        QCOMPARE(button.isSelected(), selected);
        QCOMPARE(showsPressedFace(&button), selected);

        // The controller's answer does.
        button.setSelected(!selected);
        QCOMPARE(showsPressedFace(&button), !selected);
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 40));
        QCOMPARE(asked.count(), 2);
        QCOMPARE(asked.at(1).at(0).toBool(), selected);
    }

    void plotValueButtonIsHiddenWithoutAValue()
    {
        QWidget window;
        PlotValueSelectionCheckbox button(&window);
        window.show();
        QVERIFY(!button.isVisible());
        QCOMPARE(stripSheet(button), QStringLiteral("background-color: #FF00FF;"));
        button.setPlotValue(PlotValueTP);
        QVERIFY(button.isVisible());
        QCOMPARE(stripSheet(button), QStringLiteral("background-color: rgba(255, 255, 0, 255);"));
        button.setPlotValue(PlotValue(0));
        QVERIFY(!button.isVisible());
    }

    void plotValueButtonsLook()
    {
        QWidget header;
        header.setStyleSheet(QStringLiteral("background-color: rgb(101, 101, 101);"));
        header.resize(230, 60);
        const char *texts[] = {"TP", "M", "S", "I"};
        const int xs[] = {0, 71, 122, 173};
        QVector<PlotValueSelectionCheckbox *> buttons;
        for (int i = 0; i < 4; ++i) {
            auto *button = new PlotValueSelectionCheckbox(&header);
            button->setText(QLatin1String(texts[i]));
            button->setPlotValue(PlotValue(i + 1));
            button->setSelected(i == 0 || i == 3);
            button->move(xs[i], 7);
            buttons.append(button);
        }
        header.show();
        const QImage image = header.grab().toImage();
        KivTest::saveShot(&header, QStringLiteral("plotvaluebuttons"));
        // Each strip is its curve's colour, 36 x 4 at (6, 5) of its button.
        for (int i = 0; i < 4; ++i) {
            const QColor colour = plotValueColor(i + 1);
            QVERIFY(nearColour(image.pixelColor(xs[i] + 6, 7 + 5), colour));
            QVERIFY(nearColour(image.pixelColor(xs[i] + 6 + 35, 7 + 5), colour));
            QVERIFY(!nearColour(image.pixelColor(xs[i] + 6 + 18, 7 + 5 + 6), colour));
            QVERIFY(!nearColour(image.pixelColor(xs[i] + 5, 7 + 5), colour));
        }
        // Selected buttons are darker than the others below their strips.
        QVERIFY(image.pixelColor(xs[0] + 23, 7 + 30).lightness() <
                image.pixelColor(xs[1] + 23, 7 + 30).lightness());
    }

    void tabsEmitOnlyWhenTheCheckedTabChanges()
    {
        TabBarSelector tabs(nullptr);
        tabs.show();
        QSignalSpy plot(&tabs, &TabBarSelector::plotViewSelectedSignal);
        QSignalSpy table(&tabs, &TabBarSelector::tableViewSelectedSignal);
        QVERIFY(tabs.plotButton()->isChecked());
        QCOMPARE(tabs.plotButton()->text(), QStringLiteral("GRAPHICAL VIEW"));
        QCOMPARE(tabs.tableViewButton()->text(), QStringLiteral("TABLE VIEW"));

        // A click on the checked tab.
        QTest::mouseClick(tabs.plotButton(), Qt::LeftButton);
        tabs.selectPlotView();
        QCOMPARE(plot.count() + table.count(), 0);

        tabs.selectTableView();
        QCOMPARE(table.count(), 1);
        QVERIFY(tabs.tableViewButton()->isChecked() && !tabs.plotButton()->isChecked());
        tabs.selectTableView();
        QTest::mouseClick(tabs.tableViewButton(), Qt::LeftButton);
        QCOMPARE(table.count(), 1);
        QCOMPARE(plot.count(), 0);

        QTest::mouseClick(tabs.plotButton(), Qt::LeftButton);
        QCOMPARE(plot.count(), 1);
        QVERIFY(tabs.plotButton()->isChecked() && !tabs.tableViewButton()->isChecked());
        KivTest::saveShot(&tabs, QStringLiteral("tabs-plot"));
        tabs.selectTableView();
        KivTest::saveShot(&tabs, QStringLiteral("tabs-table"));
        // The checked tab is dark grey (75) and the other #888888, below the 10 px top margin.
        const QImage image = tabs.grab().toImage();
        QCOMPARE(image.pixelColor(20, 30), QColor(136, 136, 136));
        QCOMPARE(image.pixelColor(tabs.width() - 20, 30), QColor(75, 75, 75));
    }

    void zoomSelectorFollowsTheRangeSettings_data()
    {
        QTest::addColumn<QList<int>>("ranges");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("shownLevel");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QList<int>>("checked"); // button indexes
        QTest::addColumn<int>("gap");

        const QStringList seven{"30 s", "1 min", "5 min", "10 min", "20 min", "30 min", "40 min"};
        QTest::newRow("plain") << QList<int>{0, 1, 2, 3, 4, 5, 6} << 3 << 352 << 3 << seven
                               << QList<int>{3} << 5;
        // Seven spans of their own, in the order of their spans.
        QTest::newRow("default configuration")
            << SystemConfig().getRangeSettings() << 3 << 352 << 3
            << QStringList{"30 s", "5 min", "10 min", "50 min", "2 h", "6 h", "12 h"}
            << QList<int>{2} << 5;
        QTest::newRow("duplicate level")
            << QList<int>{8, 8, 2, 11, 8, 14, 15} << 8 << 352 << 8
            << QStringList{"1 h", "1 h", "5 min", "6 h", "1 h", "24 h", "72 h"}
            << QList<int>{0, 1, 4} << 5;
        QTest::newRow("current not offered")
            << QList<int>{9, 10, 11, 12, 13, 14, 15} << 3 << 352 << 9
            << QStringList{"2 h", "3 h", "6 h", "9 h", "12 h", "24 h", "72 h"} << QList<int>{0}
            << 5;
        QTest::newRow("current only beyond the seventh")
            << QList<int>{0, 1, 2, 3, 4, 5, 6, 15} << 15 << 352 << 15 << seven << QList<int>{}
            << 5;
        QTest::newRow("padded short list")
            << QList<int>{0, 2, 7, 11} << 7 << 352 << 7
            << QStringList{"30 s", "5 min", "50 min", "6 h", "30 s", "30 s", "30 s"}
            << QList<int>{2} << 5;
        QTest::newRow("narrow") << QList<int>{0, 1, 2, 3, 4, 5, 6} << 0 << 300 << 0 << seven
                                << QList<int>{0} << 0;
        QTest::newRow("exactly the buttons' width")
            << QList<int>{0, 1, 2, 3, 4, 5, 6} << 0 << 322 << 0 << seven << QList<int>{0} << 0;
    }
    void zoomSelectorFollowsTheRangeSettings()
    {
        QFETCH(QList<int>, ranges);
        QFETCH(int, current);
        QFETCH(int, width);
        QFETCH(int, shownLevel);
        QFETCH(QStringList, labels);
        QFETCH(QList<int>, checked);
        QFETCH(int, gap);
        FakeSystem system;
        system.setCurrentConfig(configWithRanges(ranges));
        AgViewZoomSelector selector(nullptr);
        selector.resize(width, 49);
        QSignalSpy changes(&selector, &AgViewZoomSelector::zoomChange);
        selector.setCurrentZoomLevel(ZoomLevel(current));
        QCOMPARE(int(selector.getCurrentZoomLevel()), shownLevel);
        QCOMPARE(changes.count(), 0);
        const QVector<ZoomRow> rows = zoomRows(selector);
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i].label, labels[i]);
            QCOMPARE(rows[i].x, i * (46 + gap));
            QCOMPARE(rows[i].checked, checked.contains(i));
        }
        if (QTest::currentDataTag() == QLatin1String("duplicate level")) {
            selector.show();
            KivTest::saveShot(&selector, QStringLiteral("zoomselector"));
        }
        // A click on any button shows the span its label names.
        selector.show();
        for (AgViewZoomButton *button : selector.buttons()) {
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(KivConstants::zoomLevelLabel(changes.last().at(0).value<ZoomLevel>()),
                     button->text());
        }
    }

    void zoomSelectorClickChoosesALevel()
    {
        FakeSystem system;
        system.setCurrentConfig(configWithRanges({0, 2, 7, 8, 11, 14, 15}));
        QWidget window;
        AgViewZoomSelector selector(&window);
        window.show();
        selector.updateButtons();
        selector.setCurrentZoomLevel(ZoomLevel1h);
        QSignalSpy changes(&selector, &AgViewZoomSelector::zoomChange);

        AgViewZoomButton *sixHours = selector.buttons().at(4);
        QTest::mouseClick(sixHours, Qt::LeftButton);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.at(0).at(0).value<ZoomLevel>(), ZoomLevel6h);
        QCOMPARE(selector.getCurrentZoomLevel(), ZoomLevel6h);
        QVector<bool> states;
        for (AgViewZoomButton *button : selector.buttons())
            states.append(button->isChecked());
        QCOMPARE(states, (QVector<bool>{false, false, false, false, true, false, false}));

        // A click on the checked button keeps it checked.
        QTest::mouseClick(sixHours, Qt::LeftButton);
        QCOMPARE(changes.count(), 2);
        QVERIFY(sixHours->isChecked());

        // A changed setting shows at the next refresh.
        system.setCurrentConfig(configWithRanges({11, 0, 1, 2, 3, 4, 5}));
        QCOMPARE(selector.buttons().at(0)->text(), QStringLiteral("30 s"));
        selector.setCurrentZoomLevel(ZoomLevel6h);
        QCOMPARE(selector.buttons().at(0)->text(), QStringLiteral("6 h"));
        QVERIFY(selector.buttons().at(0)->isChecked());
        QVERIFY(!sixHours->isChecked());
    }

    void zoomSelectorWithoutSettingsChangesNothing()
    {
        // No system front: the settings read as an empty list; the buttons keep the default
        // levels they were built with.
        AgViewZoomSelector selector(nullptr);
        selector.buttons().at(3)->move(7, 9);
        selector.setCurrentZoomLevel(ZoomLevel72h);
        QCOMPARE(selector.getCurrentZoomLevel(), ZoomLevel72h);
        QCOMPARE(selector.buttons().at(3)->pos(), QPoint(7, 9));
        QCOMPARE(selector.buttons().at(3)->text(), QStringLiteral("50 min"));
        QCOMPARE(selector.buttons().at(3)->getZoomLevel(), ZoomLevel50min);
        for (AgViewZoomButton *button : selector.buttons())
            QVERIFY(!button->isChecked());
    }
};

KIV_TEST_MAIN(TestAgViewControls, QApplication)
#include "tst_agviewcontrols.moc"
