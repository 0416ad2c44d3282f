#include "QTAgView.h"

#include "AgViewForm.h"
#include "AgViewZoomSelector.h"
#include "KivEpgBarView.h"
#include "NUVCustomPlot.h"
#include "NUVHistogramPlot.h"
#include "NUVPlotScrollbar.h"
#include "PlotValueSelectionCheckbox.h"
#include "TabBarSelector.h"
#include "TableView.h"
#include "TableViewVerticalScrollBar.h"

#include <AgDataVector.h>
#include <ClickableLabel.h>
#include <DoubleTextCheckboxButton.h>
#include <GUIFactory.h>
#include <KivUtils.h>
#include <NUVMenu.h>
#include <ScrollBarStyles.h>
#include <SimpleButton.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QWheelEvent>
#include <QWindow>

QTAgView::QTAgView(ViewType type, QWidget *parent)
    : AAgView(type, parent), m_form(std::make_unique<AgViewForm>()), m_pleaseWaitBox(nullptr)
{
    m_form->setupUi(this);
    m_form->retranslateUi(this);
    m_form->stackedWidgetHeaderButtons->setCurrentIndex(0);
    m_form->stackedWidget->setCurrentIndex(0);
    QMetaObject::connectSlotsByName(this);

    setAttribute(Qt::WA_AlwaysShowToolTips);
    AgViewForm &f = *m_form;
    applyHorizontalScrollBarStyle(f.horizontalScrollBar);
    f.horizontalScrollBar->setContextMenuPolicy(Qt::NoContextMenu);

    f.markerToggle->setTexts(QStringLiteral("MARKS\nOFF"), QStringLiteral("MARKS\nON"));
    f.markerToggle->setButtonEnabled(false);
    f.markerToggle->setChecked(false);
    f.markersValues->hide();
    f.markerButtons->hide();
    f.markersInfoBackground->hide();

    f.runPause->setTexts(QStringLiteral("FREEZE"), QStringLiteral("LIVE"));
    f.runPauseTableView->setTexts(QStringLiteral("FREEZE"), QStringLiteral("LIVE"));
    f.goToTime->setText(QStringLiteral("GO TO\nTIME"));
    f.goToTimeTableView->setText(QStringLiteral("GO TO\nTIME"));

    f.plotSelectTP->setText(QStringLiteral("TP"));
    f.plotSelectTP->setPlotValue(PlotValueTP);
    f.plotSelectM->setText(QStringLiteral("M"));
    f.plotSelectM->setPlotValue(PlotValueM);
    f.plotSelectS->setText(QStringLiteral("S"));
    f.plotSelectS->setPlotValue(PlotValueS);
    f.plotSelectI->setText(QStringLiteral("I"));
    f.plotSelectI->setPlotValue(PlotValueI);

    updateNumericValues(AgConfig(), ProgramCalculationData(), Program());

    f.viewZoomSelector->updateButtons();
    f.histogramPlot->initPlot();
    f.customPlot->initPlot();

    setWindowTitle(tr("AG View"));
    connectChildren();
}

QTAgView::~QTAgView() = default;

void QTAgView::registerCreator()
{
    GUIFactory::getInstance()->registerViewCreator(
        kViewTypeAg, [](ViewType type) -> AView * { return new QTAgView(type, nullptr); });
}

int QTAgView::initView()
{
    m_form->menuBar->setupMenus(this);
    return 0;
}

void QTAgView::connectChildren()
{
    AgViewForm &f = *m_form;
    const auto direct = Qt::DirectConnection;
    const auto queued = Qt::QueuedConnection;
    connect(f.runPause, &QPushButton::clicked, this, &QTAgView::onRunPauseClick, direct);
    connect(f.runPauseTableView, &QPushButton::clicked, this, &QTAgView::onRunPauseTableViewClick,
            direct);
    connect(f.horizontalScrollBar, &NUVPlotScrollbar::pageControlScrollbarValueChanged, this,
            &QTAgView::onHorizontalScrollbarSliderMoved, direct);
    connect(f.tableView->getVerticalScrollBar(),
            &NUVPlotScrollbar::pageControlScrollbarValueChanged, this,
            &QTAgView::onTableViewScrolBarSliderMoved, direct);
    connect(f.viewZoomSelector, &AgViewZoomSelector::zoomChange, this, &AAgView::zoomChange,
            direct);
    for (PlotValueSelectionCheckbox *button :
         {f.plotSelectTP, f.plotSelectM, f.plotSelectS, f.plotSelectI})
        connect(button, &PlotValueSelectionCheckbox::onCheck, this, &AAgView::plotValueSelect,
                direct);
    connect(f.markerToggle, &QPushButton::clicked, this, &QTAgView::onToggleMarkerClick, direct);
    connect(f.markerAInfo, &ClickableLabel::onClick, this, &AAgView::onGoToMarkerA, direct);
    connect(f.markerBInfo, &ClickableLabel::onClick, this, &AAgView::onGoToMarkerB, direct);
    connect(f.customPlot, &NUVCustomPlot::markersPositionChanged, this,
            &AAgView::markersPositionChanged, direct);
    connect(f.customPlot, &NUVCustomPlot::markerToggle, this, &AAgView::markerToggle, direct);
    connect(f.customPlot, &NUVCustomPlot::scroll, this, &QTAgView::onScroll, direct);
    connect(f.tabSelectorPlaceholder, &TabBarSelector::plotViewSelectedSignal, this,
            &QTAgView::onPlotViewSelected, direct);
    connect(f.tabSelectorPlaceholder, &TabBarSelector::tableViewSelectedSignal, this,
            &QTAgView::onTableViewSelected, direct);
    connect(f.tableView, &TableView::updateDateAndTimeSignal, this, &QTAgView::onUpdateDateAndTime,
            direct);
    connect(this, &AAgView::updateEpgData, f.epgBar, &KivEpgBarView::onUpdateEpgBar, queued);
    connect(f.epgBar, &KivEpgBarView::epgButtonClicked, this, &QTAgView::onEpgProgramClicked,
            queued);
    connect(f.epgBar, &KivEpgBarView::epgButtonDoubleClicked, this,
            &QTAgView::onEpgProgramDoubleClicked, queued);
}

void QTAgView::showRunPause(const AgConfig &agConfig, bool liveMode)
{
    AgViewForm &f = *m_form;
    const bool visible = !agConfig.getImported();
    for (DoubleTextCheckboxButton *button : {f.runPause, f.runPauseTableView}) {
        button->setVisible(visible);
        button->setChecked(liveMode);
    }
}

bool QTAgView::isStaleFor(ActiveScreen page)
{
    if (m_userChosenPage < 0)
        return false;
    if (m_userChosenPage == page) {
        m_userChosenPage = -1;
        return false;
    }
    return true;
}

void QTAgView::onUpdateUi(const PlotUIData &data)
{
    // A stale snapshot's samples go with its last copy.
    if (isStaleFor(ActiveScreenPlot))
        return;
    AgViewForm &f = *m_form;
    m_switchingForUpdate = true;
    f.tabSelectorPlaceholder->selectPlotView();
    m_switchingForUpdate = false;
    f.stackedWidgetHeaderButtons->setCurrentIndex(0);

    const InstrumentConfig instrument = data.getInstrumentConfig();
    const AgConfig agConfig = data.getAgConfig();
    QString address = instrument.getIpAdr();
    address.remove(QStringLiteral("http://"));
    setWindowTitle(instrument.getName() + QStringLiteral(" (") + address + QStringLiteral(") ") +
                   agConfig.getName());

    showRunPause(agConfig, data.isLiveMode());
    f.modeIndicator->setText(
        QStringLiteral("<font color='%1'>%2</font>")
            .arg(data.isLiveMode() ? QStringLiteral("#00FF00") : QStringLiteral("#FF0000"),
                 data.isLiveMode() ? QStringLiteral("LIVE") : QStringLiteral("FREEZE")));
    f.viewZoomSelector->setCurrentZoomLevel(data.getZoomLevel());

    NUVPlotScrollbar *bar = f.horizontalScrollBar;
    bar->setMinimum64(0);
    bar->setMaximum64(data.getSecondTimestamp() - data.getOldestTime() + 1);
    bar->setPageStep64(data.getSpanMs());
    bar->setSingleStep64(zoomLevelToMs(f.viewZoomSelector->getCurrentZoomLevel()) / 10);
    bar->setValue64(data.getScrollPosition());

    f.plotSelectTP->setSelected(f.plotSelectTP->getPlotValue() == data.getPlotValue1());
    f.plotSelectM->setSelected(f.plotSelectM->getPlotValue() == data.getPlotValue2());
    f.plotSelectS->setSelected(f.plotSelectS->getPlotValue() == data.getPlotValue3());
    f.plotSelectI->setSelected(f.plotSelectI->getPlotValue() == data.getPlotValue4());

    const ProgramCalculationData calculation = data.getProgramCalculationData();
    const Program program = data.getProgram();
    updateNumericValues(agConfig, calculation, program);

    if (!data.isLiveMode() && data.isGoingLive()) {
        QString dots;
        for (int i = 0; i < 3; ++i)
            dots.append(QLatin1Char('.'));
        f.customPlot->showPleaseWait(
            QStringLiteral("The acquisition is slow.\nPlease wait%1").arg(dots));
    } else {
        f.customPlot->hidePleaseWait();
    }

    f.customPlot->updatePlot(data.getPlotValue1(), data.getPlotValue2(), data.getPlotValue3(),
                             data.getPlotValue4(), data.getVisibleStart(), int(data.getSpanMs()),
                             data.getZoomLevel(), data.takeSampleBlock(), instrument, agConfig);
    updateMarkers(data.getOldestTime(), data.getSecondTimestamp(), data.isMarkersMode(),
                  data.getMarkerA(), data.getMarkerB(), data.isMarkersBothOn());
    f.customPlot->updateEvents(data.getEvents());
    updateMarkerDates(data.getOldestTime(), data.getSecondTimestamp(), calculation, program);

    f.targetLabel->setText(QStringLiteral("Target: %2 %3")
                               .arg(QString::number(agConfig.getTargetLoudness()),
                                    unitText(agConfig.getLoudnessUnit())));
    emit updateEpgData(data);
}

void QTAgView::onUpdateTableView(const PlotUIData &data, bool frozen)
{
    if (isStaleFor(ActiveScreenTable))
        return;
    AgViewForm &f = *m_form;
    m_switchingForUpdate = true;
    f.tabSelectorPlaceholder->selectTableView();
    m_switchingForUpdate = false;
    f.stackedWidgetHeaderButtons->setCurrentIndex(1);
    const AgConfig agConfig = data.getAgConfig();
    showRunPause(agConfig, data.isLiveMode());
    f.viewZoomSelector->setCurrentZoomLevel(data.getZoomLevel());

    TableView::Snapshot snapshot;
    snapshot.zoomLevel = data.getZoomLevel();
    snapshot.liveMode = data.isLiveMode();
    snapshot.visibleStart = data.getVisibleStart();
    snapshot.spanMs = data.getSpanMs();
    snapshot.oldestTime = data.getOldestTime();
    snapshot.newestTime = data.getSecondTimestamp();
    snapshot.scrollPosition = data.getScrollPosition();
    snapshot.sampleBlock = data.takeSampleBlock();
    snapshot.instrumentConfig = data.getInstrumentConfig();
    snapshot.agConfig = agConfig;
    f.tableView->updateTable(snapshot, frozen);

    f.loudnessModeLabel->setText(QStringLiteral("Loudness mode: %1, Target: %2 %3")
                                     .arg(agConfig.getLoudnessMode(),
                                          QString::number(agConfig.getTargetLoudness()),
                                          unitText(agConfig.getLoudnessUnit())));
}

void QTAgView::onShow()
{
    // A page chosen before the window was last hidden waits for no snapshot any more.
    m_userChosenPage = -1;
    // A double-click on the audiogroup's row opens the window on its first click; the second
    // press lands on whatever control of the window lies under the pointer.
    m_ownPressSeen = false;
    AAgView::onShow();
    if (QWindow *handle = windowHandle())
        handle->installEventFilter(this);
}

bool QTAgView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != windowHandle())
        return AAgView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!mouse->flags().testFlag(Qt::MouseEventCreatedDoubleClick)) {
            m_ownPressSeen = true;
        } else if (!m_ownPressSeen) {
            m_strayButton = mouse->button();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        return m_strayButton != Qt::NoButton;
    case QEvent::MouseButtonRelease:
        if (m_strayButton != Qt::NoButton &&
            static_cast<QMouseEvent *>(event)->button() == m_strayButton) {
            m_strayButton = Qt::NoButton;
            return true;
        }
        break;
    default:
        break;
    }
    return AAgView::eventFilter(watched, event);
}

void QTAgView::onHide()
{
    m_userChosenPage = -1;
    AAgView::onHide();
}

void QTAgView::onDisposeTableViewModelConnection()
{
    m_form->tableView->closeConnection();
}

void QTAgView::onResetPlot(PlotValue plotValue1, PlotValue plotValue2, PlotValue plotValue3,
                           PlotValue plotValue4, qlonglong visibleStart, int spanMs,
                           ZoomLevel level)
{
    m_form->customPlot->resetPlot(plotValue1, plotValue2, plotValue3, plotValue4, visibleStart,
                                  spanMs, level);
    m_form->viewZoomSelector->setCurrentZoomLevel(level);
}

void QTAgView::onShowPleaseWaitDialog(const QString &text)
{
    m_pleaseWaitBox.setText(text);
    m_pleaseWaitBox.show();
}

void QTAgView::onHidePleaseWaitDialog()
{
    m_pleaseWaitBox.hide();
}

void QTAgView::onEpgProgramClicked(const Program &program)
{
    if (program.getProgramId() != -1)
        emit epgClickSetMarkers(program.getStart(), program.getEnd());
}

void QTAgView::onEpgProgramDoubleClicked(const Program &program)
{
    if (program.getProgramId() != -1)
        emit epgDoubleClick(program.getStart(), program.getEnd());
}

void QTAgView::onRunPauseClick()
{
    emit startPauseClick(m_form->runPause->isChecked());
}

void QTAgView::onRunPauseTableViewClick()
{
    emit startPauseClick(m_form->runPauseTableView->isChecked());
}

void QTAgView::onToggleMarkerClick()
{
    emit markersOnOffClick(m_form->markerToggle->isChecked());
}

void QTAgView::on_goToTime_clicked()
{
    emit showGoToTimeView();
}

void QTAgView::on_goToTimeTableView_clicked()
{
    emit showGoToTimeView();
}

void QTAgView::onHorizontalScrollbarSliderMoved(qlonglong position)
{
    NUVPlotScrollbar *bar = m_form->horizontalScrollBar;
    if (position < 0) {
        position = 0;
        bar->setValue64(0);
    } else if (position > bar->maximum64()) {
        position = bar->maximum64();
        bar->setValue64(position);
    }
    emit horizontalScrollbarSliderPositionChanged(position);
}

void QTAgView::onTableViewScrolBarSliderMoved(qlonglong position)
{
    TableViewVerticalScrollBar *bar = m_form->tableView->getVerticalScrollBar();
    if (position < 0) {
        position = 0;
        bar->setPosition(0);
    } else if (position > bar->maximum64()) {
        position = bar->maximum64();
        bar->setPosition(position);
    }
    emit tableViewScrollbarSliderPositionChanged(position);
}

void QTAgView::onScroll(QWheelEvent *event)
{
    if (event)
        QApplication::sendEvent(m_form->horizontalScrollBar, event);
}

void QTAgView::onPlotViewSelected()
{
    if (!m_switchingForUpdate)
        m_userChosenPage = ActiveScreenPlot;
    m_form->stackedWidget->setCurrentIndex(0);
    m_form->stackedWidgetHeaderButtons->setCurrentIndex(0);
    emit activeScreenChanged(ActiveScreenPlot);
}

void QTAgView::onTableViewSelected()
{
    if (!m_switchingForUpdate)
        m_userChosenPage = ActiveScreenTable;
    m_form->stackedWidget->setCurrentIndex(1);
    m_form->stackedWidgetHeaderButtons->setCurrentIndex(1);
    emit activeScreenChanged(ActiveScreenTable);
}

void QTAgView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // Through the close event, so that the controller alone decides what closing means.
        close();
        return;
    }
    AAgView::keyPressEvent(event);
}

void QTAgView::onUpdateDateAndTime(const QString &date, const QString &time)
{
    m_form->dateLevel->setText(date);
    m_form->timeLabel->setText(time);
}
