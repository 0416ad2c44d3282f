#pragma once

#include "AAgView.h"

#include <KivPleaseWaitBox.h>
#include <Program.h>
#include <ProgramCalculationData.h>

#include <array>
#include <memory>
#include <optional>

class QKeyEvent;
class QWheelEvent;
struct AgViewForm;

// The audiogroup window: a plot page (curves, scroll bar, program bar, momentary histogram,
// numeric values, marker panel) and a table page (the stored rows), each with its own row
// of header buttons, switched by the tab bar. It shows what the controller's snapshots say
// and turns clicks into the AAgView signals; it asks the system for nothing.
class QTAgView : public AAgView
{
    Q_OBJECT
public:
    QTAgView(ViewType type, QWidget *parent);
    ~QTAgView() override;

    // Makes GUIFactory build this window for view type 1.
    static void registerCreator();

    int initView() override;

    // The numeric panel, the histogram and the calculation progress.
    void updateNumericValues(const AgConfig &agConfig, const ProgramCalculationData &data,
                             const Program &program);
    // The marker button, the plot's marker selector and the marker panel.
    void updateMarkers(qint64 oldestTime, qint64 newestTime, bool markersMode, qint64 markerA,
                       qint64 markerB, bool markersBothOn);
    // The marker panel's date labels, red for a program whose beginning is not stored.
    void updateMarkerDates(qint64 oldestTime, qint64 newestTime, const ProgramCalculationData &data,
                           const Program &program);

    static QString unitText(const QString &loudnessUnit);
    // One decimal, halves rounded upward (-2.25 gives "-2.2").
    static QString formatValue(double value);

public slots:
    void onShow() override;
    void onHide() override;
    void onDisposeTableViewModelConnection() override;
    void onUpdateUi(const PlotUIData &data) override;
    void onUpdateTableView(const PlotUIData &data, bool frozen = true) override;
    void onResetPlot(PlotValue plotValue1, PlotValue plotValue2, PlotValue plotValue3,
                     PlotValue plotValue4, qlonglong visibleStart, int spanMs,
                     ZoomLevel level) override;
    void onShowPleaseWaitDialog(const QString &text) override;
    void onHidePleaseWaitDialog() override;
    void onEpgProgramClicked(const Program &program) override;
    void onEpgProgramDoubleClicked(const Program &program);

    void onRunPauseClick();
    void onRunPauseTableViewClick();
    void onToggleMarkerClick();
    void on_goToTime_clicked();
    void on_goToTimeTableView_clicked();
    void onHorizontalScrollbarSliderMoved(qlonglong position);
    void onTableViewScrolBarSliderMoved(qlonglong position);
    void onScroll(QWheelEvent *event);
    void onPlotViewSelected();
    void onTableViewSelected();
    void onUpdateDateAndTime(const QString &date, const QString &time);

protected:
    // Esc hides the window as its close button does.
    void keyPressEvent(QKeyEvent *event) override;
    // Keeps the second press of a double-click begun in another window out of this one.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectChildren();
    void showRunPause(const AgConfig &agConfig, bool liveMode);
    void showNumericTexts(const AgConfig &agConfig, const ProgramCalculationData &data);
    // A snapshot for a page other than the one the user just chose was queued before the
    // click; it must not switch the page back.
    bool isStaleFor(ActiveScreen page);

    // What the numeric panel's and the marker panel's texts were last built from. Snapshots
    // come 20 times a second and mostly bring the same figures; building the texts again
    // (numbers and dates formatted) cost more than the rest of the panels' update.
    struct PanelTextInputs
    {
        std::array<double, 4> values{};
        QString unit;
        std::array<qint64, 4> times{};
        bool operator==(const PanelTextInputs &other) const;
    };
    struct MarkerDateInputs
    {
        qint64 start = 0;
        qint64 end = 0;
        bool incomplete = false;
        bool operator==(const MarkerDateInputs &other) const;
    };

    std::unique_ptr<AgViewForm> m_form;
    KivPleaseWaitBox m_pleaseWaitBox;
    std::optional<PanelTextInputs> m_panelTexts;
    std::optional<MarkerDateInputs> m_markerDates;
    Program m_currentProgram;
    ProgramCalculationData m_currentCalculation;
    // Set while an update itself switches the page, so that only a user's click counts.
    bool m_switchingForUpdate = false;
    // The page the user chose, until the first snapshot for it arrives; -1 none pending.
    int m_userChosenPage = -1;
    // Since the window was last shown or raised: a press of its own came.
    bool m_ownPressSeen = false;
    // The button whose double-click, begun in another window, is being kept out.
    Qt::MouseButton m_strayButton = Qt::NoButton;
};
