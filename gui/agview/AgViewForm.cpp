#include "AgViewForm.h"

#include "AgViewZoomSelector.h"
#include "FormHelpers.h"
#include "KivEpgBarView.h"
#include "NUVCustomPlot.h"
#include "NUVHistogramPlot.h"
#include "NUVPlotScrollbar.h"
#include "PlotValueSelectionCheckbox.h"
#include "QTAgView.h"
#include "TabBarSelector.h"
#include "TableView.h"

#include <ClickableLabel.h>
#include <DoubleTextCheckboxButton.h>
#include <NUVMenu.h>
#include <SimpleButton.h>
#include <TextRoom.h>

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

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

QFont verdana()
{
    QFont font;
    font.setFamily(QStringLiteral("Verdana"));
    font.setStrikeOut(false);
    font.setKerning(false);
    return font;
}

void setupHeader(AgViewForm &f)
{
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
    TextRoom::growRow(f.leftButtonsWrapper);
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
    TextRoom::growRow(f.leftButtonsWrapper_2);
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
    TextRoom::growRow(f.rightButtonsWrapper1);
    f.controlsWrapper1->addWidget(f.rightButtonsWrapper1, 0, 3);
    f.stackedWidgetHeaderButtons->addWidget(f.controllsWrapperWidgetTableView);
    f.gridLayout_3->addWidget(f.stackedWidgetHeaderButtons, 0, 0);

    f.tabSelectorPlaceholder = new TabBarSelector(f.topBarWrapper);
    f.tabSelectorPlaceholder->setObjectName(QStringLiteral("tabSelectorPlaceholder"));
    f.gridLayout_3->addWidget(f.tabSelectorPlaceholder, 1, 0);
    f.gridLayout_13->addWidget(f.topBarWrapper, 0, 0);
}

void setupNumericPanel(AgViewForm &f, QWidget *parent)
{
    f.numericViewWrapper =
        makeWidget(parent, "numericViewWrapper", QLatin1String(AgViewForm::kNumericMarked));
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

void setupMarkersPanel(AgViewForm &f, QWidget *parent)
{
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

void setupPlotPage(AgViewForm &f)
{
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
    setupNumericPanel(f, f.histogramBackground);
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

    setupMarkersPanel(f, f.bottomComponentsOffsetWrapper);
    // Over the histogram row and the bottom line, framing the numeric panel.
    f.gridLayout_6->addWidget(f.markersInfo, 0, 0, Qt::AlignBottom);
}

} // namespace

void AgViewForm::setupUi(QWidget *window)
{
    AgViewForm &f = *this;
    if (window->objectName().isEmpty())
        window->setObjectName(QStringLiteral("QTAgView"));
    window->resize(1024, 722);
    window->setMinimumSize(1024, 722);
    window->setMaximumSize(16777215, 16777215);
    window->setWindowIcon(QIcon(QStringLiteral(":/gui/menubar/kiv_icon.png")));
    window->setStyleSheet(QStringLiteral("background-color:rgb(70,70,70)"));
    window->setProperty("margin", QVariant(0));
    window->setProperty("spacing", QVariant(0));
    f.gridLayout_14 = makeFormGrid(window, "gridLayout_14");

    f.menuBarWrapper =
        makeWidget(window, "menuBarWrapper", QStringLiteral("background-color: white;"));
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

    f.componentWrapper = makeWidget(window, "componentWrapper");
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

    setupHeader(f);

    f.stackedWidget = new QStackedWidget(f.gridWidget);
    f.stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    f.plotViewPage = makeWidget(nullptr, "plotViewPage");
    f.gridLayout = makeFormGrid(f.plotViewPage, "gridLayout");
    setupPlotPage(f);
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

void AgViewForm::retranslateUi(QWidget *window)
{
    AgViewForm &f = *this;
    const auto tr = [](const char *text) { return QTAgView::tr(text); };
    window->setWindowTitle(tr("Form"));
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
