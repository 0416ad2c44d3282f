#include "QTAgView.h"

#include "AgViewZoomSelector.h"
#include "FormHelpers.h"
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
#include <QDateTime>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <limits>

namespace {

const char *const kValueTemplateWhite =
    "<html><head></head><body><bold><font color='#FFFFFF'>%1</font></bold>&nbsp;</body></html>";
const char *const kUnitTemplate =
    "<html><head></head><body><font color='white'>%1</font></body></html>";
const char *const kNoValue =
    "<html><head></head><body><bold><font color='#FFFFFF'>----</font></bold></body></html>";
constexpr double kNoValueNumber = -999.0;
// Calculations with this little left to do are taken as done.
constexpr qint64 kProgressHiddenBelowMs = 8000;
constexpr int kMinMarkerSpanMs = 3000;
const char *const kNumericPlain = "font-size: 14px;";
const char *const kNumericMarked = "font-size: 14px;background-color: rgba(0, 0, 0, 40);";

const char *const kProgressBarSheet =
    "QProgressBar::chunk {\n"
    "  background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, "
    "stop:0 #A9A9A9, stop:1 #434343);\n"
    "  border: 1px solid rgba(0, 0, 0, 125);\n"
    "  border-radius: 4px;\n"
    "}\n"
    "QProgressBar {\n"
    "  background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, "
    "stop:0 #585858, stop:1 #434343);\n"
    "  border: 1px solid rgba(0, 0, 0, 125);\n"
    "  border-bottom: 1px solid rgba(255, 255, 255, 50);\n"
    "  border-radius: 4px;\n"
    "  text-align: center;\n"
    "  color: white;\n"
    "}";

const char *const kMarkerLabelLook =
    "QLabel\n{\nbackground-color: rgba(0,0,0,0);\nborder: none;\ncolor: #898989;\n"
    "font-size: 11px;\n";

QWidget *makeWidget(QWidget *parent, const char *name, const QString &sheet = QString())
{
    auto *widget = new QWidget(parent);
    widget->setObjectName(QLatin1String(name));
    if (!sheet.isNull())
        widget->setStyleSheet(sheet);
    return widget;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &sheet)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setStyleSheet(sheet);
    return label;
}

// Every update sets the sheet; Qt would parse it and restyle the panel each time.
void setSheet(QWidget *widget, const char *sheet)
{
    const QString text = QLatin1String(sheet);
    if (widget->styleSheet() != text)
        widget->setStyleSheet(text);
}

QFont verdana()
{
    QFont font;
    font.setFamily(QStringLiteral("Verdana"));
    font.setStrikeOut(false);
    font.setKerning(false);
    return font;
}

QString dateTimeText(qint64 ms, const QString &format)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(format);
}

} // namespace

struct QTAgView::Form
{
    QGridLayout *gridLayout_14 = nullptr;
    QWidget *menuBarWrapper = nullptr;
    NUVMenu *menuBar = nullptr;
    QWidget *componentWrapper = nullptr;
    QVBoxLayout *verticalLayout = nullptr;
    QWidget *gridWidget = nullptr;
    QGridLayout *gridLayout_13 = nullptr;

    QWidget *topBarWrapper = nullptr;
    QGridLayout *gridLayout_3 = nullptr;
    QWidget *headerShadow = nullptr;
    QStackedWidget *stackedWidgetHeaderButtons = nullptr;
    QWidget *controllsWrapperWidgetPlot = nullptr;
    QGridLayout *controlsWrapper = nullptr;
    QLabel *logo = nullptr;
    QWidget *leftButtonsWrapperSpacer1 = nullptr;
    QWidget *leftButtonsWrapper = nullptr;
    DoubleTextCheckboxButton *runPause = nullptr;
    AgViewZoomSelector *viewZoomSelector = nullptr;
    SimpleButton *goToTime = nullptr;
    DoubleTextCheckboxButton *markerToggle = nullptr;
    QLabel *targetLabel = nullptr;
    QWidget *leftButtonsWrapperSpacer2 = nullptr;
    QWidget *rightButtonsWrapper = nullptr;
    PlotValueSelectionCheckbox *plotSelectTP = nullptr;
    PlotValueSelectionCheckbox *plotSelectM = nullptr;
    PlotValueSelectionCheckbox *plotSelectS = nullptr;
    PlotValueSelectionCheckbox *plotSelectI = nullptr;
    QWidget *controllsWrapperWidgetTableView = nullptr;
    QGridLayout *controlsWrapper1 = nullptr;
    QLabel *logo1 = nullptr;
    QWidget *leftButtonsWrapperSpacer11 = nullptr;
    QWidget *leftButtonsWrapper_2 = nullptr;
    DoubleTextCheckboxButton *runPauseTableView = nullptr;
    SimpleButton *goToTimeTableView = nullptr;
    QWidget *rightButtonsWrapper1 = nullptr;
    QLabel *loudnessModeLabel = nullptr;
    QLabel *timeLabel = nullptr;
    QLabel *dateLevel = nullptr;
    TabBarSelector *tabSelectorPlaceholder = nullptr;

    QStackedWidget *stackedWidget = nullptr;
    QWidget *plotViewPage = nullptr;
    QGridLayout *gridLayout = nullptr;
    NUVCustomPlot *customPlot = nullptr;
    QWidget *bottomComponentsOffsetWrapper = nullptr;
    QGridLayout *gridLayout_6 = nullptr;
    QWidget *bottomComponentsWrapper = nullptr;
    QGridLayout *gridLayout_2 = nullptr;
    NUVPlotScrollbar *horizontalScrollBar = nullptr;
    KivEpgBarView *epgBar = nullptr;
    QWidget *histogramBackground = nullptr;
    QGridLayout *gridLayout_5 = nullptr;
    QWidget *numericViewWrapper = nullptr;
    QGridLayout *gridLayout_7 = nullptr;
    QLabel *iLabel = nullptr, *TPLabel = nullptr, *MLabel = nullptr, *SLabel = nullptr;
    QLabel *startLabel = nullptr, *endLabel = nullptr;
    QLabel *iValue = nullptr, *TPValue = nullptr, *MValue = nullptr, *SValue = nullptr;
    QLabel *startValue = nullptr, *endValue = nullptr;
    QLabel *iUnit = nullptr, *TPUnit = nullptr, *MUnit = nullptr, *SUnit = nullptr;
    QLabel *startUnit = nullptr, *endUnit = nullptr;
    NUVHistogramPlot *histogramPlot = nullptr;
    QWidget *bottom = nullptr;
    QLabel *buttomLineLabel = nullptr;
    QFrame *line = nullptr;
    QLabel *modeIndicator = nullptr;
    QWidget *calculationProgressWrapper = nullptr;
    QGridLayout *calculationProgressWrapperGridLayout_5 = nullptr;
    QProgressBar *progressBar = nullptr;
    QLabel *loadingText = nullptr;
    QWidget *markersInfo = nullptr;
    QGridLayout *gridLayout_4 = nullptr;
    QWidget *histogramBackground_2 = nullptr;
    QGridLayout *gridLayout_8 = nullptr;
    QWidget *markerInfoWrapper = nullptr;
    QGridLayout *gridLayout_9 = nullptr;
    QWidget *markersValues = nullptr;
    QGridLayout *gridLayout_10 = nullptr;
    QLabel *markersToLabel = nullptr;
    QLabel *markersFromLabel = nullptr;
    QWidget *markersInfoBackground = nullptr;
    QWidget *markerButtons = nullptr;
    QGridLayout *gridLayout_12 = nullptr;
    ClickableLabel *markerAInfo = nullptr;
    ClickableLabel *markerBInfo = nullptr;

    QWidget *tableViewPage = nullptr;
    QGridLayout *gridLayout_15 = nullptr;
    TableView *tableView = nullptr;
};

QTAgView::QTAgView(ViewType type, QWidget *parent)
    : AAgView(type, parent), m_form(std::make_unique<Form>()), m_pleaseWaitBox(nullptr)
{
    setupForm();
    retranslateForm();
    m_form->stackedWidgetHeaderButtons->setCurrentIndex(0);
    m_form->stackedWidget->setCurrentIndex(0);
    QMetaObject::connectSlotsByName(this);

    setAttribute(Qt::WA_AlwaysShowToolTips);
    Form &f = *m_form;
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

void QTAgView::setupForm()
{
    Form &f = *m_form;
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("QTAgView"));
    resize(1024, 722);
    setMinimumSize(1024, 722);
    setMaximumSize(16777215, 16777215);
    setWindowIcon(QIcon(QStringLiteral(":/gui/menubar/kiv_icon.png")));
    setStyleSheet(QStringLiteral("background-color:rgb(70,70,70)"));
    setProperty("margin", QVariant(0));
    setProperty("spacing", QVariant(0));
    f.gridLayout_14 = makeFormGrid(this, "gridLayout_14");

    f.menuBarWrapper =
        makeWidget(this, "menuBarWrapper", QStringLiteral("background-color: white;"));
    f.menuBarWrapper->setMinimumSize(1024, 30);
    f.menuBar = new NUVMenu(f.menuBarWrapper);
    f.menuBar->setObjectName(QStringLiteral("menuBar"));
    f.menuBar->setGeometry(QRect(0, 0, 1024, 30));
    f.menuBar->setMinimumHeight(30);
    QPalette palette = f.menuBar->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Button, Qt::white);
        palette.setColor(group, QPalette::Base, Qt::white);
        palette.setColor(group, QPalette::Window, Qt::white);
    }
    f.menuBar->setPalette(palette);
    QFont menuFont = f.menuBar->font();
    menuFont.setPointSize(10);
    f.menuBar->setFont(menuFont);
    f.menuBar->setContextMenuPolicy(Qt::CustomContextMenu);
    f.menuBar->setStyleSheet(QString());
    f.gridLayout_14->addWidget(f.menuBarWrapper, 0, 0);

    f.componentWrapper = makeWidget(this, "componentWrapper");
    f.componentWrapper->setMinimumSize(1024, 692);
    f.verticalLayout = new QVBoxLayout(f.componentWrapper);
    f.verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    f.verticalLayout->setSpacing(0);
    f.verticalLayout->setContentsMargins(0, 0, 0, 0);
    f.verticalLayout->setSizeConstraint(QLayout::SetNoConstraint);
    f.gridWidget = makeWidget(f.componentWrapper, "gridWidget");
    f.gridWidget->setMinimumSize(1024, 692);
    f.gridLayout_13 = makeFormGrid(f.gridWidget, "gridLayout_13");
    f.verticalLayout->addWidget(f.gridWidget);
    f.gridLayout_14->addWidget(f.componentWrapper, 1, 0);
    f.gridLayout_14->setRowStretch(1, 1);

    setupHeader();

    f.stackedWidget = new QStackedWidget(f.gridWidget);
    f.stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    f.plotViewPage = makeWidget(nullptr, "plotViewPage");
    f.gridLayout = makeFormGrid(f.plotViewPage, "gridLayout");
    setupPlotPage();
    f.stackedWidget->addWidget(f.plotViewPage);

    f.tableViewPage = makeWidget(nullptr, "tableViewPage");
    f.gridLayout_15 = makeFormGrid(f.tableViewPage, "gridLayout_15");
    f.tableView = new TableView(f.tableViewPage);
    f.tableView->setObjectName(QStringLiteral("tableView"));
    f.gridLayout_15->addWidget(f.tableView, 0, 0);
    f.stackedWidget->addWidget(f.tableViewPage);
    f.gridLayout_13->addWidget(f.stackedWidget, 1, 0);
    f.gridLayout_13->setRowStretch(1, 1);
}

void QTAgView::setupHeader()
{
    Form &f = *m_form;
    f.topBarWrapper =
        makeWidget(f.gridWidget, "topBarWrapper", QStringLiteral("background-color: #656565;"));
    f.topBarWrapper->setMinimumWidth(1024);
    f.topBarWrapper->setFixedHeight(90);
    f.gridLayout_3 = makeFormGrid(f.topBarWrapper, "gridLayout_3");

    f.headerShadow = makeWidget(
        f.topBarWrapper, "headerShadow",
        QStringLiteral("background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, "
                       "stop:0 rgba(0,0,0,40), stop:0.0566 rgba(0,0,0,40), "
                       "stop:1 rgba(0,0,0,0));"));
    f.headerShadow->setMinimumSize(1024, 53);
    f.gridLayout_3->addWidget(f.headerShadow, 0, 0);

    f.stackedWidgetHeaderButtons = new QStackedWidget(f.topBarWrapper);
    f.stackedWidgetHeaderButtons->setObjectName(QStringLiteral("stackedWidgetHeaderButtons"));
    f.stackedWidgetHeaderButtons->setStyleSheet(QStringLiteral("background-color: none;"));

    // The plot page's header.
    f.controllsWrapperWidgetPlot = makeWidget(nullptr, "controllsWrapperWidgetPlot",
                                              QStringLiteral("background-color: none;"));
    f.controllsWrapperWidgetPlot->setMinimumWidth(1024);
    f.controlsWrapper = makeFormGrid(f.controllsWrapperWidgetPlot, "controlsWrapper");
    f.logo = makeLabel(f.controllsWrapperWidgetPlot, "logo",
                       QStringLiteral("margin-left: 15px;\n    margin-right: 15px;\n    "
                                      "margin-top: 13px;"));
    f.logo->setMinimumSize(123, 20);
    f.logo->setPixmap(QPixmap(QStringLiteral(":/main/NUV_logo.png")));
    f.logo->setMargin(0);
    f.controlsWrapper->addWidget(f.logo, 0, 0);
    f.leftButtonsWrapperSpacer1 =
        makeWidget(f.controllsWrapperWidgetPlot, "leftButtonsWrapperSpacer1");
    f.controlsWrapper->addWidget(f.leftButtonsWrapperSpacer1, 0, 1);
    f.leftButtonsWrapper = makeWidget(f.controllsWrapperWidgetPlot, "leftButtonsWrapper");
    f.leftButtonsWrapper->setMinimumWidth(663);
    const QString clear = QStringLiteral("background-color: rgba(0,0,0,0);");
    f.runPause = new DoubleTextCheckboxButton(f.leftButtonsWrapper);
    f.runPause->setObjectName(QStringLiteral("runPause"));
    f.runPause->setGeometry(QRect(0, 7, 46, 47));
    f.runPause->setStyleSheet(clear);
    f.viewZoomSelector = new AgViewZoomSelector(f.leftButtonsWrapper);
    f.viewZoomSelector->setObjectName(QStringLiteral("viewZoomSelector"));
    f.viewZoomSelector->setGeometry(QRect(60, 7, 432, 47));
    f.viewZoomSelector->setStyleSheet(QString());
    f.goToTime = new SimpleButton(f.leftButtonsWrapper);
    f.goToTime->setObjectName(QStringLiteral("goToTime"));
    f.goToTime->setGeometry(QRect(547, 7, 46, 47));
    f.goToTime->setEnabled(true);
    f.goToTime->setStyleSheet(clear);
    f.markerToggle = new DoubleTextCheckboxButton(f.leftButtonsWrapper);
    f.markerToggle->setObjectName(QStringLiteral("markerToggle"));
    f.markerToggle->setGeometry(QRect(597, 7, 46, 47));
    f.markerToggle->setStyleSheet(clear);
    f.targetLabel = makeLabel(f.leftButtonsWrapper, "targetLabel", QStringLiteral("color:white;"));
    f.targetLabel->setGeometry(QRect(418, 20, 115, 21));
    f.targetLabel->setFont(verdana());
    f.controlsWrapper->addWidget(f.leftButtonsWrapper, 0, 2);
    f.leftButtonsWrapperSpacer2 =
        makeWidget(f.controllsWrapperWidgetPlot, "leftButtonsWrapperSpacer2");
    f.controlsWrapper->addWidget(f.leftButtonsWrapperSpacer2, 0, 3);
    f.rightButtonsWrapper = makeWidget(f.controllsWrapperWidgetPlot, "rightButtonsWrapper");
    f.rightButtonsWrapper->setMinimumSize(226, 53);
    PlotValueSelectionCheckbox **selects[] = {&f.plotSelectTP, &f.plotSelectM, &f.plotSelectS,
                                              &f.plotSelectI};
    const char *const selectNames[] = {"plotSelectTP", "plotSelectM", "plotSelectS", "plotSelectI"};
    const int selectX[] = {0, 71, 122, 173};
    for (int i = 0; i < 4; ++i) {
        auto *button = new PlotValueSelectionCheckbox(f.rightButtonsWrapper);
        button->setObjectName(QLatin1String(selectNames[i]));
        button->setGeometry(QRect(selectX[i], 7, 46, 47));
        button->setStyleSheet(clear);
        *selects[i] = button;
    }
    f.controlsWrapper->addWidget(f.rightButtonsWrapper, 0, 4);
    f.stackedWidgetHeaderButtons->addWidget(f.controllsWrapperWidgetPlot);

    // The table page's header.
    f.controllsWrapperWidgetTableView = makeWidget(nullptr, "controllsWrapperWidgetTableView",
                                                   QStringLiteral("background-color: none;"));
    f.controllsWrapperWidgetTableView->setMinimumWidth(1024);
    f.controlsWrapper1 = makeFormGrid(f.controllsWrapperWidgetTableView, "controlsWrapper1");
    f.logo1 = makeLabel(f.controllsWrapperWidgetTableView, "logo1",
                        QStringLiteral("margin-left: 23px;\n   margin-right: 23px;\n   "
                                       "margin-top: 13px;"));
    f.logo1->setMinimumSize(132, 20);
    f.logo1->setPixmap(QPixmap(QStringLiteral(":/main/NUV_logo.png")));
    f.controlsWrapper1->addWidget(f.logo1, 0, 0);
    f.leftButtonsWrapperSpacer11 =
        makeWidget(f.controllsWrapperWidgetTableView, "leftButtonsWrapperSpacer11");
    f.controlsWrapper1->addWidget(f.leftButtonsWrapperSpacer11, 0, 1);
    f.leftButtonsWrapper_2 = makeWidget(f.controllsWrapperWidgetTableView, "leftButtonsWrapper_2");
    f.leftButtonsWrapper_2->setMinimumWidth(535);
    f.runPauseTableView = new DoubleTextCheckboxButton(f.leftButtonsWrapper_2);
    f.runPauseTableView->setObjectName(QStringLiteral("runPauseTableView"));
    f.runPauseTableView->setGeometry(QRect(0, 7, 46, 47));
    f.runPauseTableView->setStyleSheet(clear);
    f.goToTimeTableView = new SimpleButton(f.leftButtonsWrapper_2);
    f.goToTimeTableView->setObjectName(QStringLiteral("goToTimeTableView"));
    f.goToTimeTableView->setGeometry(QRect(448, 7, 46, 47));
    f.goToTimeTableView->setEnabled(true);
    f.goToTimeTableView->setStyleSheet(clear);
    f.controlsWrapper1->addWidget(f.leftButtonsWrapper_2, 0, 2);
    f.rightButtonsWrapper1 = makeWidget(f.controllsWrapperWidgetTableView, "rightButtonsWrapper1");
    // Wide enough for "Loudness mode: EBU R128, Target: -23 LUFS".
    f.rightButtonsWrapper1->setMinimumSize(320, 53);
    const QString white = QStringLiteral("color:white;");
    f.loudnessModeLabel = makeLabel(f.rightButtonsWrapper1, "loudnessModeLabel", white);
    f.loudnessModeLabel->setGeometry(QRect(0, -1, 312, 31));
    f.loudnessModeLabel->setFont(verdana());
    f.timeLabel = makeLabel(f.rightButtonsWrapper1, "timeLabel", white);
    f.timeLabel->setGeometry(QRect(0, 20, 221, 21));
    f.timeLabel->setFont(verdana());
    f.dateLevel = makeLabel(f.rightButtonsWrapper1, "dateLevel", white);
    f.dateLevel->setGeometry(QRect(0, 40, 221, 16));
    f.dateLevel->setFont(verdana());
    f.controlsWrapper1->addWidget(f.rightButtonsWrapper1, 0, 3);
    f.stackedWidgetHeaderButtons->addWidget(f.controllsWrapperWidgetTableView);
    f.gridLayout_3->addWidget(f.stackedWidgetHeaderButtons, 0, 0);

    f.tabSelectorPlaceholder = new TabBarSelector(f.topBarWrapper);
    f.tabSelectorPlaceholder->setObjectName(QStringLiteral("tabSelectorPlaceholder"));
    f.gridLayout_3->addWidget(f.tabSelectorPlaceholder, 1, 0);
    f.gridLayout_13->addWidget(f.topBarWrapper, 0, 0);
}

void QTAgView::setupPlotPage()
{
    Form &f = *m_form;
    f.customPlot = new NUVCustomPlot(f.plotViewPage);
    f.customPlot->setObjectName(QStringLiteral("customPlot"));
    f.customPlot->setMinimumSize(1024, 320);
    f.gridLayout->addWidget(f.customPlot, 0, 0);
    f.gridLayout->setRowStretch(0, 1);

    // Qt takes only valid sheets; the grey of the form is written as one.
    f.bottomComponentsOffsetWrapper =
        makeWidget(f.plotViewPage, "bottomComponentsOffsetWrapper",
                   QStringLiteral("background-color: rgb(46, 46, 46)"));
    f.bottomComponentsOffsetWrapper->setMinimumSize(1024, 251);
    f.bottomComponentsOffsetWrapper->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    f.gridLayout_6 = makeFormGrid(f.bottomComponentsOffsetWrapper, "gridLayout_6");
    f.gridLayout->addWidget(f.bottomComponentsOffsetWrapper, 1, 0);

    f.bottomComponentsWrapper =
        makeWidget(f.bottomComponentsOffsetWrapper, "bottomComponentsWrapper");
    f.bottomComponentsWrapper->setMinimumSize(1024, 230);
    f.gridLayout_2 = makeFormGrid(f.bottomComponentsWrapper, "gridLayout_2");

    f.horizontalScrollBar = new NUVPlotScrollbar(f.bottomComponentsWrapper);
    f.horizontalScrollBar->setObjectName(QStringLiteral("horizontalScrollBar"));
    f.horizontalScrollBar->setFixedHeight(30);
    f.horizontalScrollBar->setMinimumWidth(1024);
    f.horizontalScrollBar->setOrientation(Qt::Horizontal);
    f.gridLayout_2->addWidget(f.horizontalScrollBar, 0, 0, 1, 2);

    f.epgBar = new KivEpgBarView(f.bottomComponentsWrapper);
    f.epgBar->setObjectName(QStringLiteral("epgBar"));
    f.epgBar->setFixedHeight(56);
    f.epgBar->setMinimumWidth(1024);
    f.epgBar->setStyleSheet(f.epgBar->styleSheet() +
                            QStringLiteral("\nKivEpgBarView { background-color: rgb(75,75,75) }"));
    f.epgBar->setAttribute(Qt::WA_StyledBackground);
    f.gridLayout_2->addWidget(f.epgBar, 1, 0, 1, 2);

    f.histogramBackground = makeWidget(f.bottomComponentsWrapper, "histogramBackground",
                                       QStringLiteral("background-color: rgba(70, 70, 70, 255);"));
    f.histogramBackground->setMinimumSize(1024, 130);
    f.gridLayout_5 = makeFormGrid(f.histogramBackground, "gridLayout_5");
    f.gridLayout_5->addItem(new QSpacerItem(133, 0, QSizePolicy::Fixed, QSizePolicy::Fixed), 0, 0,
                            1, 5);
    f.gridLayout_5->addItem(new QSpacerItem(106, 20, QSizePolicy::Fixed, QSizePolicy::Minimum), 1,
                            0);
    setupNumericPanel(f.histogramBackground);
    f.gridLayout_5->addWidget(f.numericViewWrapper, 1, 1);
    f.gridLayout_5->addItem(new QSpacerItem(46, 20, QSizePolicy::Expanding, QSizePolicy::Minimum),
                            1, 2);
    f.histogramPlot = new NUVHistogramPlot(f.histogramBackground);
    f.histogramPlot->setObjectName(QStringLiteral("histogramPlot"));
    f.histogramPlot->setMinimumSize(512, 130);
    f.histogramPlot->setMaximumSize(512, 120);
    f.histogramPlot->setEnabled(false);
    f.histogramPlot->setStyleSheet(QStringLiteral("margin-top:2px;"));
    f.gridLayout_5->addWidget(f.histogramPlot, 1, 3);
    f.gridLayout_5->addItem(new QSpacerItem(0, 20, QSizePolicy::Fixed, QSizePolicy::Minimum), 1, 4);
    f.gridLayout_2->addWidget(f.histogramBackground, 2, 0, 1, 2);

    f.bottom = makeWidget(f.bottomComponentsWrapper, "bottom",
                          QStringLiteral("background-color: rgba(37, 37, 37, 255);"));
    f.bottom->setMinimumSize(1024, 34);
    f.buttomLineLabel =
        makeLabel(f.bottom, "buttomLineLabel", QStringLiteral("background-color: rgb(25, 25, 25)"));
    f.buttomLineLabel->setFixedHeight(34);
    f.line = new QFrame(f.bottom);
    f.line->setObjectName(QStringLiteral("line"));
    f.line->setFrameShape(QFrame::HLine);
    f.line->setFrameShadow(QFrame::Sunken);
    f.line->setFixedHeight(1);
    f.line->setMinimumWidth(1024);
    f.line->setStyleSheet(QStringLiteral("background-color: #000000;"));
    f.modeIndicator = makeLabel(f.bottom, "modeIndicator",
                                QStringLiteral("color: #01FFFF;\nfont-weight: bold;\nfont-size: "
                                               "11px;\nbackground-color: rgb(25, 25, 25);"));
    f.modeIndicator->setGeometry(QRect(8, 8, 60, 13));
    f.gridLayout_2->addWidget(f.bottom, 3, 0, 1, 2);

    f.calculationProgressWrapper =
        makeWidget(f.bottomComponentsWrapper, "calculationProgressWrapper",
                   QStringLiteral("background-color: rgba(0, 0, 0, 0);"));
    f.calculationProgressWrapper->setMinimumSize(1024, 22);
    f.calculationProgressWrapperGridLayout_5 =
        makeFormGrid(f.calculationProgressWrapper, "calculationProgressWrapperGridLayout_5");
    f.calculationProgressWrapperGridLayout_5->addItem(
        new QSpacerItem(40, 1, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 0);
    f.progressBar = new QProgressBar(f.calculationProgressWrapper);
    f.progressBar->setObjectName(QStringLiteral("progressBar"));
    f.progressBar->setMinimumWidth(502);
    f.progressBar->setValue(0);
    f.progressBar->setTextVisible(false);
    f.progressBar->setStyleSheet(QLatin1String(kProgressBarSheet));
    f.calculationProgressWrapperGridLayout_5->addWidget(f.progressBar, 0, 1);
    f.loadingText = makeLabel(f.calculationProgressWrapper, "loadingText",
                              QStringLiteral("color: #FFFFFF;\n       font-weight: bold;\n       "
                                             "font-size: 11px;\n       background-color: "
                                             "rgba(0,0,0,0);"));
    f.loadingText->setMinimumWidth(502);
    f.calculationProgressWrapperGridLayout_5->addWidget(f.loadingText, 0, 1);
    f.calculationProgressWrapperGridLayout_5->addItem(
        new QSpacerItem(10, 1, QSizePolicy::Fixed, QSizePolicy::Minimum), 0, 2);
    f.gridLayout_2->addWidget(f.calculationProgressWrapper, 3, 0, 1, 2);
    f.gridLayout_6->addWidget(f.bottomComponentsWrapper, 0, 0);

    setupMarkersPanel(f.bottomComponentsOffsetWrapper);
    // Over the histogram row and the bottom line, framing the numeric panel.
    f.gridLayout_6->addWidget(f.markersInfo, 0, 0, Qt::AlignBottom);
}

void QTAgView::setupNumericPanel(QWidget *parent)
{
    Form &f = *m_form;
    f.numericViewWrapper = makeWidget(parent, "numericViewWrapper", QLatin1String(kNumericMarked));
    f.numericViewWrapper->setFixedSize(316, 131);
    f.gridLayout_7 = makeFormGrid(f.numericViewWrapper, "gridLayout_7", QLayout::SetFixedSize);
    const QString labelSheet = QStringLiteral("color: #FFFFFF; padding: 0;");
    const QString valueSheet = QStringLiteral(" padding: 0;");
    struct Row
    {
        QLabel **label, **value, **unit;
        const char *labelName, *valueName, *unitName;
    };
    const Row rows[] = {
        {&f.iLabel, &f.iValue, &f.iUnit, "iLabel", "iValue", "iUnit"},
        {&f.TPLabel, &f.TPValue, &f.TPUnit, "TPLabel", "TPValue", "TPUnit"},
        {&f.MLabel, &f.MValue, &f.MUnit, "MLabel", "MValue", "MUnit"},
        {&f.SLabel, &f.SValue, &f.SUnit, "SLabel", "SValue", "SUnit"},
        {&f.startLabel, &f.startValue, &f.startUnit, "startLabel", "startValue", "startUnit"},
        {&f.endLabel, &f.endValue, &f.endUnit, "endLabel", "endValue", "endUnit"},
    };
    for (int row = 0; row < 6; ++row) {
        const Row &r = rows[row];
        *r.label = makeLabel(f.numericViewWrapper, r.labelName, labelSheet);
        *r.value = makeLabel(f.numericViewWrapper, r.valueName, valueSheet);
        *r.unit = makeLabel(f.numericViewWrapper, r.unitName, valueSheet);
        if (row < 4) {
            (*r.label)->setMinimumSize(130, 22);
            (*r.label)->setMaximumWidth(row == 2 ? 130 : 110);
            (*r.value)->setMinimumSize(110, 22);
        } else {
            (*r.label)->setMinimumHeight(22);
            (*r.value)->setMinimumHeight(22);
        }
        (*r.unit)->setMinimumSize(76, 22);
        f.gridLayout_7->addWidget(*r.label, row, 0);
        f.gridLayout_7->addWidget(*r.value, row, 1);
        f.gridLayout_7->addWidget(*r.unit, row, 2);
    }
}

void QTAgView::setupMarkersPanel(QWidget *parent)
{
    Form &f = *m_form;
    f.markersInfo =
        makeWidget(parent, "markersInfo", QStringLiteral("background-color: rgba(0,0,0,0);"));
    f.markersInfo->setMinimumSize(1024, 160);
    f.gridLayout_4 = makeFormGrid(f.markersInfo, "gridLayout_4");
    f.histogramBackground_2 = makeWidget(f.markersInfo, "histogramBackground_2", QString());
    f.histogramBackground_2->setMinimumSize(1024, 165);
    f.gridLayout_8 = makeFormGrid(f.histogramBackground_2, "gridLayout_8");
    f.gridLayout_8->addItem(new QSpacerItem(65, 165, QSizePolicy::Fixed, QSizePolicy::Fixed), 0, 0);
    f.markerInfoWrapper = makeWidget(f.histogramBackground_2, "markerInfoWrapper",
                                     QStringLiteral("font-size: 18px;"));
    f.markerInfoWrapper->setFixedSize(398, 165);
    f.gridLayout_9 = makeFormGrid(f.markerInfoWrapper, "gridLayout_9", QLayout::SetFixedSize);

    f.markersValues = makeWidget(f.markerInfoWrapper, "markersValues",
                                 QStringLiteral("margin-left: 20px;\nmargin-right: 20px;"));
    f.markersValues->setFixedSize(398, 165);
    f.gridLayout_10 = makeFormGrid(f.markersValues, "gridLayout_10");
    f.gridLayout_10->addItem(new QSpacerItem(133, 130, QSizePolicy::Minimum, QSizePolicy::Fixed), 0,
                             0, 1, 2);
    f.markersFromLabel =
        makeLabel(f.markersValues, "markersFromLabel",
                  QLatin1String(kMarkerLabelLook) +
                      QStringLiteral("margin-top: 2px; margin-left: 40px;\n}\nQToolTip\n{\n"
                                     "background-color: rgba(0,0,0,80);\nborder-radius: 2px;\n"
                                     "color: #898989;\nfont-size: 11px;\nborder: none;\n"
                                     "margin: 0 0 0 0;\npadding: 0 0 0 0;\n}"));
    f.markersFromLabel->setMinimumSize(130, 34);
    f.markersFromLabel->setIndent(12);
    f.gridLayout_10->addWidget(f.markersFromLabel, 1, 0);
    f.markersToLabel = makeLabel(f.markersValues, "markersToLabel",
                                 QLatin1String(kMarkerLabelLook) +
                                     QStringLiteral("margin-top: 2px;margin-right: 40px;\n}"));
    f.markersToLabel->setMinimumSize(130, 34);
    f.markersToLabel->setIndent(12);
    f.markersToLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    f.gridLayout_10->addWidget(f.markersToLabel, 1, 1);
    f.gridLayout_9->addWidget(f.markersValues, 0, 0);

    f.markersInfoBackground = makeWidget(
        f.markerInfoWrapper, "markersInfoBackground",
        QStringLiteral("border-left: 1px solid #ffffff;\nborder-right: 1px solid #ffffff;\n"
                       "margin-left: 40px;\nmargin-right:40px;"));
    f.markersInfoBackground->setFixedSize(398, 166);
    f.markersInfoBackground->setAttribute(Qt::WA_StyledBackground);
    f.gridLayout_9->addWidget(f.markersInfoBackground, 0, 0);

    f.markerButtons =
        makeWidget(f.markerInfoWrapper, "markerButtons", QStringLiteral("font-size: 16px;"));
    f.markerButtons->setFixedSize(390, 34);
    f.gridLayout_12 = makeFormGrid(f.markerButtons, "gridLayout_12", QLayout::SetMaximumSize);
    f.gridLayout_12->setContentsMargins(5, 0, 6, 0);
    auto makeMarkerLabel = [&](const char *name, const char *picture, int height) {
        auto *label = new ClickableLabel(f.markerButtons);
        label->setObjectName(QLatin1String(name));
        label->setFixedSize(35, height);
        label->setPixmap(QPixmap(QLatin1String(picture)));
        label->setScaledContents(false);
        label->setMargin(0);
        label->setIndent(0);
        return label;
    };
    f.markerAInfo = makeMarkerLabel("markerAInfo", ":/markers/agview/markers/MarkerAn.png", 34);
    f.gridLayout_12->addWidget(f.markerAInfo, 0, 0);
    f.gridLayout_12->addItem(new QSpacerItem(190, 0, QSizePolicy::Expanding, QSizePolicy::Minimum),
                             0, 1);
    f.markerBInfo = makeMarkerLabel("markerBInfo", ":/markers/agview/markers/MarkerBn.png", 35);
    f.gridLayout_12->addWidget(f.markerBInfo, 0, 2);
    f.gridLayout_9->addWidget(f.markerButtons, 0, 0, Qt::AlignTop | Qt::AlignHCenter);

    f.gridLayout_8->addWidget(f.markerInfoWrapper, 0, 1);
    f.gridLayout_8->addItem(new QSpacerItem(44, 20, QSizePolicy::Expanding, QSizePolicy::Minimum),
                            0, 2);
    f.gridLayout_4->addWidget(f.histogramBackground_2, 0, 0);
    f.markersInfo->setFixedHeight(165);
    // The panel lies over the histogram row, which takes no input; the marker buttons are
    // the only part that does.
    for (QWidget *passive : {f.markersValues, f.markersInfoBackground})
        passive->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void QTAgView::retranslateForm()
{
    Form &f = *m_form;
    setWindowTitle(tr("Form"));
    f.targetLabel->setText(tr("Target: -23 LKFS"));
    f.loudnessModeLabel->setText(tr("Loudness mode: EBU"));
    f.timeLabel->setText(tr("Time: "));
    f.dateLevel->setText(tr("Date: "));
    f.modeIndicator->setText(tr("FREEZE"));
    f.loadingText->setText(tr("Calculating numeric values and histogram"));
    f.MLabel->setText(tr("<html><head></head><body><bold>Mmax</bold>:</body></html>"));
    f.SLabel->setText(tr("<html><head></head><body><bold>Smax</bold>:</body></html>"));
    f.TPLabel->setText(tr("<html><head></head><body><bold>TPmax</bold>:</body></html>"));
    f.iLabel->setText(tr("<html><head></head><body><bold>I</bold>:</body></html>"));
    f.startLabel->setText(tr("<html><head></head><body><bold>Start</bold>:</body></html>"));
    f.endLabel->setText(tr("<html><head></head><body><bold>End</bold>:</body></html>"));
    const QString lu = tr("<html><head></head><body><font color=\"#ffffff\">LU</font>");
    f.iUnit->setText(lu);
    f.MUnit->setText(lu);
    f.SUnit->setText(lu);
    f.TPUnit->setText(tr("<html><head></head><body><font color=\"#ffffff\">dBTP</font>"));
    const QString tc = tr("<html><head></head><body><font color=\"#ffffff\">TC</font>");
    f.startUnit->setText(tc);
    f.endUnit->setText(tc);
    f.markersToLabel->setText(tr("08.08 2013"));
    f.markersFromLabel->setText(tr("08.08 2013 "));
}

void QTAgView::connectChildren()
{
    Form &f = *m_form;
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

QString QTAgView::unitText(const QString &loudnessUnit)
{
    return (loudnessUnit == QLatin1String("LU") || loudnessUnit == QLatin1String("LUFS"))
               ? QStringLiteral("LUFS")
               : QStringLiteral("LKFS");
}

QString QTAgView::formatValue(double value)
{
    return QString::number(qRound(value * 10) / 10.0, 'f', 1);
}

void QTAgView::showRunPause(const AgConfig &agConfig, bool liveMode)
{
    Form &f = *m_form;
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
    Form &f = *m_form;
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
    Form &f = *m_form;
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

void QTAgView::updateNumericValues(const AgConfig &agConfig, const ProgramCalculationData &data,
                                   const Program &program)
{
    Form &f = *m_form;
    m_currentProgram = program;
    m_currentCalculation = data;

    f.iLabel->setText(QStringLiteral("<html><head></head><body><bold>I</bold>:</body></html>"));
    f.TPLabel->setText(
        QStringLiteral("<html><head></head><body><bold>TP</bold>max:</body></html>"));
    f.MLabel->setText(QStringLiteral("<html><head></head><body><bold>M</bold>max:</body></html>"));
    f.SLabel->setText(QStringLiteral("<html><head></head><body><bold>S</bold>max:</body></html>"));
    f.startLabel->setText(
        QStringLiteral("<html><head></head><body><bold>Start</bold>:</body></html>"));
    f.endLabel->setText(QStringLiteral("<html><head></head><body><bold>End</bold>:</body></html>"));

    QLabel *const values[] = {f.iValue, f.TPValue, f.MValue, f.SValue, f.startValue, f.endValue};
    QLabel *const units[] = {f.iUnit, f.TPUnit, f.MUnit, f.SUnit, f.startUnit, f.endUnit};
    if (data.getIntegrated() == kNoValueNumber && data.getTruePeakMax() == kNoValueNumber &&
        data.getMomentaryMax() == kNoValueNumber && data.getShortTermMax() == kNoValueNumber) {
        for (QLabel *label : values)
            label->setText(QLatin1String(kNoValue));
        for (QLabel *label : units)
            label->clear();
    } else {
        auto valueText = [](const char *colour, double value) {
            return QStringLiteral("<html><head></head><body><bold><font color='%1'>%2</font>"
                                  "</bold>&nbsp;</body></html>")
                .arg(QLatin1String(colour), formatValue(value));
        };
        f.iValue->setText(valueText("#00FF00", data.getIntegrated()));
        f.TPValue->setText(valueText("#FEFF01", data.getTruePeakMax()));
        f.MValue->setText(valueText("#01FFFF", data.getMomentaryMax()));
        f.SValue->setText(valueText("#FF00FE", data.getShortTermMax()));
        const QString unit = QLatin1String(kUnitTemplate);
        f.iUnit->setText(unit.arg(agConfig.getLoudnessUnit()));
        f.MUnit->setText(unit.arg(agConfig.getLoudnessUnit()));
        f.SUnit->setText(unit.arg(agConfig.getLoudnessUnit()));
        f.TPUnit->setText(unit.arg(QStringLiteral("dBTP")));

        const QString value = QLatin1String(kValueTemplateWhite);
        QString start, end, clock;
        if (data.getStartTimecode() != 0 && data.getEndTimecode() != 0) {
            start = formatTimecode(data.getStartTimecode());
            end = formatTimecode(data.getEndTimecode());
            clock = QStringLiteral("TC");
        } else {
            start = dateTimeText(data.getStartTime(), QStringLiteral("hh:mm:ss"));
            end = dateTimeText(data.getEndTime(), QStringLiteral("hh:mm:ss"));
            clock = QStringLiteral("WC");
        }
        f.startValue->setText(value.arg(start));
        f.endValue->setText(value.arg(end));
        f.startUnit->setText(unit.arg(clock));
        f.endUnit->setText(unit.arg(clock));
    }

    f.histogramPlot->onUpdateHistogram(data.getHistogramCounts(), data.getHistogramMin(),
                                       data.getHistogramMax(), data.getHistogramStep(), -23.0);

    const qint64 start = data.getStartTime();
    const qint64 end = data.getEndTime();
    if (start == -1 || end == -1 || start >= end) {
        f.loadingText->show();
        f.progressBar->show();
        f.progressBar->setValue(0);
        return;
    }
    qint64 span = end - start;
    qint64 done = data.getProcessedUntil() - start;
    if (span - done <= kProgressHiddenBelowMs) {
        f.loadingText->hide();
        f.progressBar->hide();
        return;
    }
    // The bar counts in int: a program longer than about 24 days is shown in coarser units.
    while (span > std::numeric_limits<int>::max()) {
        span /= 1000;
        done /= 1000;
    }
    f.loadingText->show();
    f.progressBar->show();
    f.progressBar->setRange(0, int(span));
    f.progressBar->setValue(int(qBound<qint64>(0, done, span)));
}

void QTAgView::updateMarkers(qint64 oldestTime, qint64 newestTime, bool markersMode, qint64 markerA,
                             qint64 markerB, bool markersBothOn)
{
    Form &f = *m_form;
    auto hidePanel = [&f] {
        f.customPlot->hideMarkers();
        f.markerButtons->hide();
        f.markersInfoBackground->hide();
        setSheet(f.numericViewWrapper, kNumericPlain);
    };
    if (oldestTime == -1 || newestTime == -1 || newestTime - oldestTime < kMinMarkerSpanMs) {
        f.markerToggle->setButtonEnabled(false);
        f.markerToggle->setChecked(false);
        hidePanel();
        return;
    }
    f.markerToggle->setButtonEnabled(true);
    if (!markersMode) {
        f.markerToggle->setChecked(false);
        hidePanel();
        return;
    }
    f.markerToggle->setChecked(true);
    f.customPlot->setMarkerTimes(oldestTime, newestTime, markerA, markerB);
    f.customPlot->showMarkers();
    if (markersBothOn) {
        f.markerButtons->show();
        f.markersInfoBackground->show();
        setSheet(f.numericViewWrapper, kNumericMarked);
    } else {
        f.markerButtons->hide();
        f.markersInfoBackground->hide();
        setSheet(f.numericViewWrapper, kNumericPlain);
    }
}

void QTAgView::updateMarkerDates(qint64 oldestTime, qint64 newestTime,
                                 const ProgramCalculationData &data, const Program &program)
{
    Form &f = *m_form;
    if (data.getStartTime() == -1 || data.getEndTime() == -1 || oldestTime <= 0 ||
        newestTime <= 0) {
        f.markersValues->hide();
        return;
    }
    const bool incomplete =
        (program.getType() == 0 || program.getType() == 1) && program.getStartWord() == 0;
    const QString templ = incomplete ? QStringLiteral("<font color=\"red\">%1</font>")
                                     : QStringLiteral("<font color=\"#898989\">%1</font>");
    f.markersFromLabel->setToolTip(
        incomplete ? QStringLiteral("The current program is incomplete; the calculation might "
                                    "differ from KIV to the ZQ.")
                   : QString());
    f.markersFromLabel->setText(
        templ.arg(dateTimeText(data.getStartTime(), QStringLiteral("yyyy.MM.dd"))));
    f.markersToLabel->setText(dateTimeText(data.getEndTime(), QStringLiteral("yyyy.MM.dd")));
    f.markersValues->show();
}

void QTAgView::onShow()
{
    // A page chosen before the window was last hidden waits for no snapshot any more.
    m_userChosenPage = -1;
    AAgView::onShow();
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

void QTAgView::onUpdateDateAndTime(const QString &date, const QString &time)
{
    m_form->dateLevel->setText(date);
    m_form->timeLabel->setText(time);
}
