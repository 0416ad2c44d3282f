#pragma once

class AgViewZoomSelector;
class ClickableLabel;
class DoubleTextCheckboxButton;
class KivEpgBarView;
class NUVCustomPlot;
class NUVHistogramPlot;
class NUVMenu;
class NUVPlotScrollbar;
class PlotValueSelectionCheckbox;
class QFrame;
class QGridLayout;
class QLabel;
class QProgressBar;
class QStackedWidget;
class QVBoxLayout;
class QWidget;
class SimpleButton;
class TabBarSelector;
class TableView;

// The widget tree of the audiogroup window, built on the window by setupUi: the header rows
// of both pages, the plot page with its panels and the table page. The widgets are the
// window's Qt children; this only names them.
struct AgViewForm
{
    // The numeric panel's looks: plain, and shaded while both markers frame it.
    static constexpr const char *kNumericPlain = "font-size: 14px;";
    static constexpr const char *kNumericMarked =
        "font-size: 14px;background-color: rgba(0, 0, 0, 40);";

    void setupUi(QWidget *window);
    // The form's first texts, replaced by the window's constructor and first update.
    void retranslateUi(QWidget *window);

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
