#include "SQLiteAgDataModel.h"

#include "AgConfig.h"
#include "AgDataAverageComputer.h"
#include "KivUtils.h"
#include "SQLiteRows.h"

#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <memory>

// The zoom levels: each level's complete windows reduced from the level-0 rows, and the stretch
// of recent level-0 rows kept so a completing window does not read its rows back.

namespace {

template <typename Iterator> Iterator firstAtOrAfter(Iterator begin, Iterator end, qint64 timestamp)
{
    return std::lower_bound(begin, end, timestamp,
                            [](const AgData &row, qint64 t) { return row.getTimestamp() < t; });
}

// The largest zoom window plus a margin: the stretch of level-0 rows kept in memory.
inline qint64 recentRowsSpan()
{
    return zoomLevelToSampleIntervalMs(kZoomLevelCount - 1) + 2000;
}

inline qint64 floorDiv(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

} // namespace

int SQLiteAgDataModel::zoomWindows(int level, qint64 from, qint64 to, ZoomWindows *windows)
{
    *windows = ZoomWindows();
    windows->level = level;
    if (level < 1 || level >= kZoomLevelCount)
        return -1;
    const qint64 width = zoomLevelToSampleIntervalMs(level);
    if (width <= 0)
        return -1;
    windows->width = width;
    int err = 0;
    const qint64 lastRow = readMaxTimestamp(level, &err, true);
    if (err != 0)
        return err;
    windows->lastRow = lastRow;
    // Windows before the epoch never hold a storable row.
    if (from <= 0 || to <= 0)
        return 0;
    qint64 start = floorDiv(from, width) * width;
    if (lastRow <= 0) {
        // A level without rows has had no complete window yet, so its first window is the one
        // holding the newest stored sample; starting from this batch alone would lose it
        // whenever its end falls between two batches.
        const qint64 lastStored = readMaxTimestamp(0, &err, true);
        if (err != 0)
            return err;
        if (lastStored > 0 && lastStored < from)
            start = floorDiv(lastStored, width) * width;
    } else {
        // Windows up to the level's newest row are never built again. Every later one is
        // built once complete, also when the batch begins windows later: the previous batch's
        // newest sample may lie in any window after the level's newest row.
        const qint64 next = lastRow + width;
        if (next > start) {
            start = next;
        } else if (next < start) {
            windows->next = next;
            // Aligned windows from the one after it (a row off the grid keeps its own window).
            start = std::min(start, floorDiv(next + 2 * width - 1, width) * width);
        }
    }
    // Only complete windows: the one holding `to` waits for a later batch. Windows without
    // level-0 rows give no row, so only the windows that hold rows are listed.
    if (to < start)
        return 0;
    const qint64 count = floorDiv(to - start, width);
    if (count <= 0)
        return 0;
    windows->alignedStart = start;
    windows->alignedEnd = start + count * width;
    return 0;
}

int SQLiteAgDataModel::readWindowRows(const std::vector<ZoomWindows> &windows,
                                      const std::vector<AgData> &batchRows, qint64 lastStored,
                                      std::vector<AgData> *rows)
{
    // One stretch of rows for all levels, not one read per window: each level-0 row is
    // gathered once per batch.
    std::vector<std::pair<qint64, qint64>> spans;
    for (const ZoomWindows &level : windows) {
        if (level.next > 0)
            spans.emplace_back(level.next, level.next + level.width - 1);
        if (level.alignedEnd > level.alignedStart)
            spans.emplace_back(level.alignedStart, level.alignedEnd - 1);
    }
    std::sort(spans.begin(), spans.end());
    for (size_t i = 0; i < spans.size();) {
        const qint64 from = spans[i].first;
        qint64 to = spans[i].second;
        for (++i; i < spans.size() && spans[i].first <= to + 1; ++i)
            to = std::max(to, spans[i].second);
        if (from <= lastStored &&
            appendCommittedRows(from, std::min(to, lastStored), lastStored, rows) != 0)
            return -1;
        if (to > lastStored) {
            auto begin =
                firstAtOrAfter(batchRows.begin(), batchRows.end(), std::max(from, lastStored + 1));
            rows->insert(rows->end(), begin, firstAtOrAfter(begin, batchRows.end(), to + 1));
        }
    }
    return 0;
}

int SQLiteAgDataModel::appendCommittedRows(qint64 from, qint64 to, qint64 lastStored,
                                           std::vector<AgData> *rows)
{
    if (!m_recentRowsValid || from < m_recentRowsFrom) {
        if (lastStored == std::numeric_limits<qint64>::max() ||
            from < lastStored - recentRowsSpan())
            return readLevelZeroRows(from, to, rows);
        // Extend the remembered stretch back to `from`.
        std::vector<AgData> older;
        if (readLevelZeroRows(from, m_recentRowsValid ? m_recentRowsFrom - 1 : lastStored,
                              &older) != 0)
            return -1;
        m_recentRows.insert(m_recentRows.begin(), older.begin(), older.end());
        m_recentRowsFrom = from;
        m_recentRowsValid = true;
    }
    auto begin = firstAtOrAfter(m_recentRows.begin(), m_recentRows.end(), from);
    rows->insert(rows->end(), begin, firstAtOrAfter(begin, m_recentRows.end(), to + 1));
    return 0;
}

void SQLiteAgDataModel::rememberRows(const std::vector<AgData> &batchRows, qint64 lastStored)
{
    if (batchRows.empty())
        return;
    if (!m_recentRowsValid) {
        // Only an empty level 0 is known completely without reading it.
        if (lastStored != 0)
            return;
        m_recentRowsValid = true;
        m_recentRowsFrom = std::numeric_limits<qint64>::min();
    }
    // Every stored row is newer than lastStored, so appending keeps the order.
    m_recentRows.insert(m_recentRows.end(), batchRows.begin(), batchRows.end());
    const qint64 keepFrom = m_recentRows.back().getTimestamp() - recentRowsSpan();
    while (!m_recentRows.empty() && m_recentRows.front().getTimestamp() < keepFrom)
        m_recentRows.pop_front();
    m_recentRowsFrom = std::max(m_recentRowsFrom, keepFrom);
}

void SQLiteAgDataModel::forgetRows()
{
    m_recentRows.clear();
    m_recentRowsValid = false;
    m_recentRowsFrom = 0;
}

int SQLiteAgDataModel::writeZoomLevel(const ZoomWindows &windows,
                                      const std::vector<AgData> &levelZero,
                                      const std::vector<char> &violating, std::vector<AgData> *out,
                                      std::unique_ptr<AgDataAverageComputer> *shared)
{
    if (windows.isEmpty())
        return 0;
    using Iterator = std::vector<AgData>::const_iterator;
    const QString sourceName = getAgConfig().getName();
    const qint64 width = windows.width;
    std::vector<AgData> built;
    // At most a row per window, and only windows with rows give one.
    if (windows.alignedEnd > windows.alignedStart)
        built.reserve(std::min(levelZero.size(),
                               size_t((windows.alignedEnd - windows.alignedStart) / width)) +
                      1);
    // One computer for all windows of all levels, restarted for each: making one copies the
    // configuration.
    if (!*shared)
        *shared = std::make_unique<AgDataAverageComputer>(getAgConfig(), 0);
    AgDataAverageComputer &computer = **shared;
    auto reduce = [&](qint64 windowStart, Iterator begin, Iterator end) {
        if (begin == end)
            return;
        // A window keeps its first sample with the most values unless one violates a
        // threshold: the other samples cannot change its representative, so only those kinds
        // are fed.
        computer.restart(windowStart);
        computer.addSample(*begin, violating[size_t(begin - levelZero.begin())] != 0);
        int values = AgDataAverageComputer::valueCount(*begin);
        for (Iterator row = begin + 1; row != end; ++row) {
            if (violating[size_t(row - levelZero.begin())]) {
                computer.addSample(*row, true);
            } else if (values < AgDataAverageComputer::kValueFields) {
                const int count = AgDataAverageComputer::valueCount(*row);
                if (count > values) {
                    computer.addSample(*row, false);
                    values = count;
                }
            }
        }
        if (computer.isEmpty())
            return;
        AgData kept = computer.getResult();
        kept.setTimestamp(windowStart);
        kept.setSourceName(sourceName);
        built.push_back(kept);
    };
    if (windows.next > 0) {
        const Iterator begin = firstAtOrAfter(levelZero.begin(), levelZero.end(), windows.next);
        reduce(windows.next, begin, firstAtOrAfter(begin, levelZero.end(), windows.next + width));
    }
    if (windows.alignedEnd > windows.alignedStart) {
        Iterator row = firstAtOrAfter(levelZero.begin(), levelZero.end(), windows.alignedStart);
        const Iterator end = firstAtOrAfter(row, levelZero.end(), windows.alignedEnd);
        while (row != end) {
            const qint64 windowStart =
                windows.alignedStart +
                floorDiv(row->getTimestamp() - windows.alignedStart, width) * width;
            const Iterator windowEnd = firstAtOrAfter(row, end, windowStart + width);
            reduce(windowStart, row, windowEnd);
            row = windowEnd;
        }
    }
    out->reserve(out->size() + built.size());
    return insertLevelRows(windows.level, built.begin(), built.end(), windows.lastRow, out) == 0
               ? 0
               : -1;
}

int SQLiteAgDataModel::buildZoomLevels(const std::vector<AgData> &samples,
                                       QMap<int, std::vector<AgData>> *out)
{
    if (samples.empty())
        return 0;
    qint64 first = samples.front().getTimestamp();
    qint64 last = first;
    for (const AgData &sample : samples) {
        first = std::min(first, sample.getTimestamp());
        last = std::max(last, sample.getTimestamp());
    }
    // A batch of one sample still completes the windows before it.
    if (first <= 0 || last <= 0)
        return 0;
    std::vector<ZoomWindows> windows(kZoomLevelCount - 1);
    for (int level = 1; level < kZoomLevelCount; ++level)
        if (zoomWindows(level, first, last, &windows[level - 1]) != 0)
            return -1;
    int err = 0;
    const qint64 lastStored = readMaxTimestamp(0, &err, true);
    if (err != 0)
        return -1;
    std::vector<AgData> reordered;
    const bool inOrder = SQLiteRows::isSortedUnique(samples);
    if (!inOrder)
        reordered = SQLiteRows::sortedUnique(samples);
    std::vector<AgData> levelZero;
    if (readWindowRows(windows, inOrder ? samples : reordered, lastStored, &levelZero) != 0)
        return -1;
    const std::vector<char> violating = violations(levelZero);
    std::unique_ptr<AgDataAverageComputer> computer;
    for (const ZoomWindows &level : windows) {
        std::vector<AgData> rows;
        if (writeZoomLevel(level, levelZero, violating, &rows, &computer) != 0)
            return -1;
        (*out)[level.level].swap(rows);
    }
    return 0;
}

int SQLiteAgDataModel::storeZoomLevel(int level, qint64 from, qint64 to, std::vector<AgData> *out)
{
    ZoomWindows windows;
    const int rc = zoomWindows(level, from, to, &windows);
    if (rc != 0)
        return rc;
    if (windows.isEmpty())
        return 0;
    // Outside the insert path every row comes from the file.
    std::vector<AgData> levelZero;
    if (readWindowRows({windows}, {}, std::numeric_limits<qint64>::max(), &levelZero) != 0)
        return -1;
    std::unique_ptr<AgDataAverageComputer> computer;
    return writeZoomLevel(windows, levelZero, violations(levelZero), out, &computer);
}

std::vector<char> SQLiteAgDataModel::violations(const std::vector<AgData> &rows) const
{
    // AgData::hasViolation's tests, each limit shifted onto the samples' unit once for all
    // rows rather than at every test (the unit is a text compared each time).
    const AgConfig &config = getAgConfig();
    const double offset = config.loudnessThresholdOffset();
    struct Limits
    {
        bool active;
        double m, s, iUpper, iLower, tp;
    };
    const Limits limits[] = {
        {config.getMainThresholdActiveState(), config.getMUpperThreshold() + offset,
         config.getSUpperThreshold() + offset, config.getIUpperThreshold() + offset,
         config.getILowerThreshold() + offset, config.getTPUpperThreshold()},
        {config.getSecondaryThresholdActiveState(), config.getMUpperSecondaryThreshold() + offset,
         config.getSUpperSecondaryThreshold() + offset,
         config.getIUpperSecondaryThreshold() + offset,
         config.getILowerSecondaryThreshold() + offset, config.getTPUpperSecondaryThreshold()}};
    std::vector<char> violating;
    violating.reserve(rows.size());
    for (const AgData &row : rows) {
        bool violates = false;
        for (const Limits &limit : limits)
            violates = violates ||
                       (limit.active &&
                        (row.getM400ms() > limit.m || row.getS() > limit.s ||
                         row.getI() > limit.iUpper || row.getI() < limit.iLower ||
                         row.getTP() > limit.tp));
        violating.push_back(violates ? 1 : 0);
    }
    return violating;
}
