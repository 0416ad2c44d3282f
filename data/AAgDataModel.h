#pragma once

#include "AgData.h"
#include "AgDbConfig.h"
#include "AgEvent.h"
#include "AgStoreResult.h"
#include "Program.h"

#include <QString>

#include <vector>

class AgConfig;
class AgDataModel;
class AgDataVector;
class InstrumentConfig;

// The front through which an audiogroup's owner reaches its store. Without a store every
// call answers -1 in err and an empty value.
class AAgDataModel
{
public:
    AAgDataModel();
    // Takes ownership of an already built store.
    explicit AAgDataModel(AgDataModel *model);
    AAgDataModel(const AAgDataModel &) = delete;
    AAgDataModel &operator=(const AAgDataModel &) = delete;
    virtual ~AAgDataModel();

    // Creates and opens the store (type 0: SQLite). -1 when a store exists already or the
    // type is unknown. The audiogroup's own store answers 0 even when its file cannot be
    // opened yet (each call tries again); a level-0-only export target answers the open's
    // failure.
    int init(int modelType, const InstrumentConfig &instrumentConfig, const AgConfig &agConfig,
             bool levelZeroOnly, const QString &targetPath);
    bool hasModel() const { return m_model != nullptr; }

    // err, when given, receives the result's code.
    AgStoreResult insertData(AgDataVector *batch, bool deriveEvents, int *err = nullptr);
    void saveConfig(const AgDbConfig &row, int *err);
    void insertEvents(const std::vector<AgEvent> &events, int *err);
    // See AgDataModel::setBulkWrites.
    void setBulkWrites(bool bulk);
    void backupPrograms(const std::vector<Program> &programs, int *err);
    qint64 getMaxTimestamp(int level, int *err);
    qint64 getMinTimestamp(int level, int *err);
    AgData getLastData(int level, int *err);
    // The caller owns the vector; null on failure.
    AgDataVector *getData(int level, qint64 from, qint64 to, int *err);
    AgDbConfig getLatestConfig(int *err);
    Program getProgram(int mode, qint64 time, int *err);
    std::vector<Program> getPrograms(int *err);
    std::vector<AgEvent> getAllEvents(int *err);
    std::vector<AgEvent> getEvents(qint64 from, qint64 to, int *err);
    // The owner's last call: the file is closed and the store no longer used.
    void close();
    void updateConfig(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig);

private:
    AgDataModel *m_model = nullptr;
};
