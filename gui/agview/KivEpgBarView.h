#pragma once

#include "PlotUIData.h"

#include <EpgProgram.h>
#include <KivTypes.h>

#include <QWidget>

#include <vector>

class ProgramWidget;
class QGridLayout;

// The program bar of the audiogroup window: the programs of the visible time window as a
// row of up to 30 buttons, each as wide as its share of the window, with transparent
// fillers for the holes between them and one grey entry for each run of programs too
// narrow to show. Clicks and double clicks on a program are forwarded.
class KivEpgBarView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kButtonCount = 30;
    static constexpr int kHeight = 56;

    explicit KivEpgBarView(QWidget *parent);
    ~KivEpgBarView() override;

    // Rebuilds the bar for the window [visibleStart, visibleStart + spanMs] from the
    // programs in the order given.
    void updateEpgBar(ZoomLevel level, qint64 visibleStart, qint64 spanMs,
                      const std::vector<Program> &programs, bool hideProgramId);

    const std::vector<EpgProgram> &entries() const { return m_entries; }
    ProgramWidget *button(int column) const;

    // Pixels of the bar that the part of a program inside the window takes; 0 outside it.
    qint64 programWidthPx(const Program &program) const;

public slots:
    // The audiogroup window's snapshot (queued): its span, programs and id setting.
    void onUpdateEpgBar(const PlotUIData &data);

signals:
    void epgButtonClicked(Program program);
    void epgButtonDoubleClicked(Program program);

private:
    void createProgramWidgets();
    std::vector<EpgProgram> visiblePrograms(const std::vector<Program> &programs) const;
    void addEdgeGaps(std::vector<EpgProgram> &list) const;
    void mergeNarrowEntries(std::vector<EpgProgram> &entries) const;
    void layoutProgramWidgets(const std::vector<EpgProgram> &entries, bool hideProgramId);
    QSize programSize(const Program &program) const;
    qint64 mergeWidthLimit(const Program &first, const Program &last) const;

    // What a button shows: its entry's kind, the program of a program entry, its width.
    struct ShownButton
    {
        int kind;
        Program program;
        int width;
    };

    QGridLayout *m_grid = nullptr;
    qint64 m_windowStart = -1;
    qint64 m_windowEnd = -1;
    qint64 m_span = -1;
    int m_level = 0;
    std::vector<EpgProgram> m_entries;
    // The buttons as last laid out.
    std::vector<ShownButton> m_shownButtons;
    bool m_shownHideProgramId = false;
};

// True when any part of the program lies in [start, end].
bool programOverlapsWindow(const Program &program, qint64 start, qint64 end);
