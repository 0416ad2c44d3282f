#pragma once

#include <AgDataModel.h>
#include <AgDataVector.h>

#include <QPair>

#include <map>
#include <stdexcept>
#include <vector>

// An in-memory store behind the model interface: level-0 rows and events only, with
// switches to make the open or the reads fail and to record what was asked.
class MemoryAgDataModel : public AgDataModel
{
public:
    explicit MemoryAgDataModel(bool levelZeroOnly = false)
        : AgDataModel(InstrumentConfig(QStringLiteral("Studio 1")),
                      AgConfig(QStringLiteral("Main")), levelZeroOnly, QString())
    {
    }

    void addRow(const AgData &row) { rows[row.getTimestamp()] = row; }

    // Switches.
    int openResult = 0;
    int failReads = 0; // the next n readData calls fail
    bool throwOnRead = false;

    // What was asked.
    int openCalls = 0;
    std::vector<QPair<qint64, qint64>> reads;
    std::vector<int> recentLevelsRead;

    std::map<qint64, AgData> rows;
    std::vector<AgEvent> events;

    void closeDatabase() override {}
    AgStoreResult storeData(AgDataVector *batch, bool) override
    {
        if (!batch)
            return AgStoreResult(-1);
        for (const AgData &row : *batch)
            addRow(row);
        getCache().addData(0, std::vector<AgData>(batch->begin(), batch->end()));
        return AgStoreResult(0, *batch);
    }
    void storeEvents(const std::vector<AgEvent> &list, int *err) override
    {
        events.insert(events.end(), list.begin(), list.end());
        getCache().addEvents(list);
        *err = 0;
    }
    void storeConfig(const AgDbConfig &, int *err) override { *err = 0; }
    void storeVersion(int *err) override { *err = 0; }
    void backupProgramData(const std::vector<Program> &, int *err) override { *err = 0; }
    int buildZoomLevels(const std::vector<AgData> &, QMap<int, std::vector<AgData>> *) override
    {
        return 0;
    }
    int storeProgramEvents(std::vector<AgData> *, std::vector<AgEvent> *) override { return 0; }
    int storeZoomLevel(int, qint64, qint64, std::vector<AgData> *) override { return 0; }
    qint64 readMaxTimestamp(int level, int *err, bool fromCache) override
    {
        *err = 0;
        if (fromCache)
            return getCache().getMaxTimestamp(level);
        return level == 0 && !rows.empty() ? rows.rbegin()->first : 0;
    }
    qint64 readMinTimestamp(int level, int *err, bool fromCache) override
    {
        *err = 0;
        if (fromCache)
            return getCache().getMinTimestamp(level);
        return level == 0 && !rows.empty() ? rows.begin()->first : 0;
    }
    std::vector<AgEvent> readEvents(qint64 from, qint64 to, int *err, bool) override
    {
        *err = 0;
        return getCache().getEvents(from, to);
    }
    std::vector<AgEvent> readAllEvents(int *err, bool fromCache) override
    {
        *err = 0;
        return fromCache ? getCache().getAllEvents() : events;
    }
    AgData readLastData(int level, int *err) override
    {
        *err = 0;
        return getCache().getLastData(level);
    }
    std::vector<AgData> readRecentData(int level, int *err, bool fromCache) override
    {
        *err = 0;
        if (fromCache)
            return getCache().getRecentData(level);
        recentLevelsRead.push_back(level);
        std::vector<AgData> recent;
        if (level == 0)
            for (const auto &entry : rows)
                recent.push_back(entry.second);
        return recent;
    }
    AgDataVector *readData(int level, qint64 from, qint64 to, int *err) override
    {
        reads.push_back(qMakePair(from, to));
        if (throwOnRead)
            throw std::runtime_error("disk on fire");
        if (failReads > 0) {
            --failReads;
            *err = 5;
            return nullptr;
        }
        auto *result = new AgDataVector(QStringLiteral("Main"), level);
        if (level == 0)
            for (auto it = rows.lower_bound(from); it != rows.end() && it->first <= to; ++it)
                result->append(it->second);
        *err = 0;
        return result;
    }
    AgDbConfig readLatestConfig(int *err) override
    {
        *err = 0;
        return AgDbConfig();
    }
    Program readProgram(int mode, qint64 time, int *err) override
    {
        *err = 0;
        return getCache().getProgram(mode, time);
    }
    std::vector<Program> readPrograms(int *err) override
    {
        *err = 0;
        return getCache().getPrograms();
    }
    int readCount(int, int *err) override
    {
        *err = 0;
        return static_cast<int>(rows.size());
    }
    int readVersionCount(int *err) override
    {
        *err = 0;
        return 1;
    }
    int openDatabase() override
    {
        ++openCalls;
        return openResult;
    }
    int checkDatabase() override { return 0; }
    int applyConfigs(const InstrumentConfig &, const AgConfig &) override { return 0; }
};
