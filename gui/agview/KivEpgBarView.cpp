#include "KivEpgBarView.h"

#include "ProgramWidget.h"

#include <KivUtils.h>

#include <QGridLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

enum Kind { KindProgram = 0, KindFiller = 1, KindMerged = 2 };

EpgProgram gapEntry(int kind, qint64 start, qint64 end)
{
    EpgProgram entry(kind, Program());
    entry.setStart(start);
    entry.setEnd(end);
    return entry;
}

bool sameProgram(const Program &a, const Program &b)
{
    return a.getType() == b.getType() && a.getProgramId() == b.getProgramId() &&
           a.getStart() == b.getStart() && a.getStartWord() == b.getStartWord() &&
           a.getEnd() == b.getEnd() && a.getEndWord() == b.getEndWord();
}

} // namespace

bool programOverlapsWindow(const Program &program, qint64 start, qint64 end)
{
    const qint64 s = program.getStart();
    const qint64 e = program.getEnd();
    return (start <= s && s < end) || (start < e && e <= end) || (s < start && e > end);
}

KivEpgBarView::KivEpgBarView(QWidget *parent) : QWidget(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("KivEpgBarView"));
    resize(1024, kHeight);
    setMinimumSize(1024, kHeight);
    setMaximumSize(16777215, kHeight);
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
    setWindowTitle(tr("Form"));
    setStyleSheet(QStringLiteral(
        "QToolTip QLabel\n{\nbackground-color: rgba(0,0,0,0);\nborder: none;\ncolor: #898989;\n"
        "font-size: 11px;\nmargin-top: 3px; margin-left: 40px;\n}\n\nQToolTip\n{\n"
        "background-color: rgba(0,0,0,80);\nborder-radius: 2px;\ncolor: #898989;\nfont-size: "
        "11px;\ntext-wrap: normal;\nborder: none;\nmargin: 0 0 0 0;\npadding: 0 0 0 0;\n}"));
    createProgramWidgets();
}

KivEpgBarView::~KivEpgBarView()
{
    while (QLayoutItem *item = m_grid->takeAt(0)) {
        if (QWidget *widget = item->widget())
            widget->deleteLater();
        delete item;
    }
}

void KivEpgBarView::createProgramWidgets()
{
    m_grid = new QGridLayout;
    m_grid->setSpacing(0);
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setSizeConstraint(QLayout::SetNoConstraint);
    m_windowStart = m_windowEnd = m_span = -1;
    m_level = 0;
    for (int column = 0; column < kButtonCount; ++column) {
        auto *button = new ProgramWidget(nullptr);
        m_grid->addWidget(button, 0, column);
        button->hide();
        connect(button, &ProgramWidget::epgButtonClicked, this, &KivEpgBarView::epgButtonClicked,
                Qt::DirectConnection);
        connect(button, &ProgramWidget::epgButtonDoubleClicked, this,
                &KivEpgBarView::epgButtonDoubleClicked, Qt::DirectConnection);
    }
    delete layout();
    setLayout(m_grid);
}

ProgramWidget *KivEpgBarView::button(int column) const
{
    QLayoutItem *item = m_grid->itemAtPosition(0, column);
    return item ? qobject_cast<ProgramWidget *>(item->widget()) : nullptr;
}

void KivEpgBarView::onUpdateEpgBar(const PlotUIData &data)
{
    updateEpgBar(data.getZoomLevel(), data.getVisibleStart(), data.getSpanMs(), data.getPrograms(),
                 data.isHideProgramId());
}

void KivEpgBarView::updateEpgBar(ZoomLevel level, qint64 visibleStart, qint64 spanMs,
                                 const std::vector<Program> &programs, bool hideProgramId)
{
    m_level = level;
    m_span = spanMs;
    m_windowStart = visibleStart;
    m_windowEnd = m_windowStart + m_span;

    std::vector<EpgProgram> list = visiblePrograms(programs);
    addEdgeGaps(list);

    // A level outside the table gives no filler between neighbours.
    const qint64 minSpan = isZoomLevel(level)
                               ? zoomLevelToMinSpanMs(level)
                               : std::numeric_limits<qint64>::max();
    m_entries.clear();
    for (size_t i = 0; i + 1 < list.size(); ++i) {
        const EpgProgram &current = list[i];
        const EpgProgram &next = list[i + 1];
        m_entries.push_back(current);
        if (next.getStart() - current.getEnd() > minSpan)
            m_entries.push_back(gapEntry(KindFiller, current.getEnd() + 1, next.getStart() - 1));
    }
    m_entries.push_back(list.back());

    mergeNarrowEntries(m_entries);
    layoutProgramWidgets(m_entries, hideProgramId);
}

std::vector<EpgProgram> KivEpgBarView::visiblePrograms(const std::vector<Program> &programs) const
{
    std::vector<EpgProgram> list;
    for (const Program &program : programs) {
        if (programOverlapsWindow(program, m_windowStart, m_windowEnd))
            list.emplace_back(KindProgram, program);
    }
    return list;
}

void KivEpgBarView::addEdgeGaps(std::vector<EpgProgram> &list) const
{
    if (list.empty()) {
        list.push_back(gapEntry(KindFiller, m_windowStart, m_windowEnd));
        return;
    }
    const qint64 minSpan = isZoomLevel(m_level)
                               ? zoomLevelToMinSpanMs(m_level)
                               : std::numeric_limits<qint64>::max();
    if (list.front().getStart() - m_windowStart > minSpan)
        list.insert(list.begin(),
                    gapEntry(KindFiller, m_windowStart, list.front().getStart() - 1));
    if (m_windowEnd - list.back().getEnd() > minSpan)
        list.push_back(gapEntry(KindFiller, list.back().getEnd() + 1, m_windowEnd));
}

qint64 KivEpgBarView::programWidthPx(const Program &program) const
{
    const qint64 window = m_windowEnd - m_windowStart;
    if (window <= 0)
        return 0;
    const qint64 s = qMax(program.getStart(), m_windowStart);
    const qint64 e = qMin(program.getEnd(), m_windowEnd);
    const double px = std::floor(double(qint64(width()) * (e - s)) / double(window));
    return px < 0.0 ? 0 : qint64(px);
}

QSize KivEpgBarView::programSize(const Program &program) const
{
    return QSize(int(programWidthPx(program)), kHeight);
}

qint64 KivEpgBarView::mergeWidthLimit(const Program &first, const Program &last) const
{
    const double free = double(width() - programWidthPx(first) - programWidthPx(last));
    const qint64 limit = 2 * qint64(std::ceil(free / 28.0));
    return qMax<qint64>(limit, 1);
}

void KivEpgBarView::mergeNarrowEntries(std::vector<EpgProgram> &entries) const
{
    if (entries.size() > 2) {
        const qint64 limit = mergeWidthLimit(entries.front(), entries.back());
        for (size_t i = 1; i + 1 < entries.size(); ++i) {
            const qint64 width = programWidthPx(entries[i]);
            if (width >= limit)
                continue;
            qint64 sum = width;
            size_t count = 0;
            for (size_t j = i + 1; j + 1 < entries.size(); ++j) {
                const qint64 next = programWidthPx(entries[j]);
                if (next + sum > limit)
                    break;
                ++count;
                sum += next;
            }
            if (count == 0)
                continue;
            const EpgProgram merged =
                gapEntry(KindMerged, entries[i].getStart(), entries[i + count].getEnd());
            entries.erase(entries.begin() + i, entries.begin() + i + count + 1);
            entries.insert(entries.begin() + i, merged);
        }
    }
    for (size_t i = 0; i < entries.size();) {
        if (programWidthPx(entries[i]) == 0)
            entries.erase(entries.begin() + i);
        else
            ++i;
    }
}

void KivEpgBarView::layoutProgramWidgets(const std::vector<EpgProgram> &entries,
                                         bool hideProgramId)
{
    const int count = qMin(int(entries.size()), m_grid->columnCount());
    std::vector<ShownButton> shown;
    for (int i = 0; i < count; ++i) {
        const bool program = entries[i].getKind() == KindProgram;
        shown.push_back({entries[i].getKind(), program ? Program(entries[i]) : Program(),
                         int(programWidthPx(entries[i]))});
    }
    // Updates come every 50 ms and mostly move the window by less than a pixel, if at all:
    // the same buttons stand as they are (a button refits its labels as its width changes).
    const auto sameButton = [](const ShownButton &a, const ShownButton &b) {
        return a.kind == b.kind && a.width == b.width && sameProgram(a.program, b.program);
    };
    if (hideProgramId == m_shownHideProgramId &&
        std::equal(shown.begin(), shown.end(), m_shownButtons.begin(), m_shownButtons.end(),
                   sameButton))
        return;
    for (int i = 0; i < count; ++i) {
        ProgramWidget *widget = button(i);
        widget->setVisible(true);
        const QSize size = programSize(entries[i]);
        widget->setHideProgramId(hideProgramId);
        widget->setEpgProgram(entries[i]);
        widget->setProgramSize(size);
    }
    for (int i = count; i < kButtonCount; ++i)
        button(i)->hide();
    m_shownButtons = std::move(shown);
    m_shownHideProgramId = hideProgramId;
}
