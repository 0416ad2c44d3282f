#pragma once

#include "AgCache.h"
#include "AgConfig.h"
#include "AgData.h"
#include "AgDbConfig.h"
#include "AgEvent.h"
#include "AgStoreResult.h"
#include "InstrumentConfig.h"
#include "Program.h"

#include <QElapsedTimer>
#include <QMap>
#include <QString>

#include <vector>

class AgDataVector;

// The store of one audiogroup. Callers use the public operations: each opens the database
// on first use (reading events, recent rows and oldest timestamps into the cache once), then
// calls the implementation's operation. They never throw: every failure comes back in the
// out code (0 success). No lock: one owner thread uses a model at a time.
class AgDataModel
{
public:
    AgDataModel(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig,
                bool levelZeroOnly, const QString &targetPath);
    AgDataModel(const AgDataModel &) = delete;
    AgDataModel &operator=(const AgDataModel &) = delete;
    virtual ~AgDataModel();

    // err, when given, receives the result's code.
    AgStoreResult insertData(AgDataVector *batch, bool deriveEvents, int *err = nullptr);
    void insertEvents(const std::vector<AgEvent> &events, int *err);
    void saveConfig(const AgDbConfig &row, int *err);
    void backupPrograms(const std::vector<Program> &programs, int *err);
    // Newest / oldest timestamp of a level from the cache: 0 when empty, -1 when the
    // database cannot be opened.
    qint64 getMaxTimestamp(int level, int *err);
    qint64 getMinTimestamp(int level, int *err);
    AgData getLastData(int level, int *err);
    // Rows with from <= timestamp <= to, always from the file; the caller owns the vector.
    AgDataVector *getData(int level, qint64 from, qint64 to, int *err);
    AgDbConfig getLatestConfig(int *err);
    Program getProgram(int mode, qint64 time, int *err);
    std::vector<Program> getPrograms(int *err);
    std::vector<AgEvent> getAllEvents(int *err);
    std::vector<AgEvent> getEvents(qint64 from, qint64 to, int *err);
    // A file that could not be opened or written is tried again this long after.
    static constexpr qint64 kReopenPacingMs = 5000;

    // The lazy open: 0 once opened, -1 while the file cannot be opened (tried again on a
    // call kReopenPacingMs after the failure).
    int open();
    // How long after a failed open or write the file is tried again (kReopenPacingMs).
    void setReopenPacingMs(qint64 ms) { m_reopenPacingMs = ms; }
    qint64 getReopenPacingMs() const { return m_reopenPacingMs; }
    // Takes new configs without opening the file.
    void updateConfig(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig);
    // While an import copies a whole file in: the journal may grow larger between
    // checkpoints, each of which waits for the disk. Off again, the journal is emptied.
    virtual void setBulkWrites(bool) {}

    // Implementation operations. err is set to 0 on success; fromCache answers from the
    // cache instead of the file.
    virtual void closeDatabase() = 0;
    virtual AgStoreResult storeData(AgDataVector *batch, bool deriveEvents) = 0;
    virtual void storeEvents(const std::vector<AgEvent> &events, int *err) = 0;
    virtual void storeConfig(const AgDbConfig &row, int *err) = 0;
    virtual void storeVersion(int *err) = 0;
    virtual void backupProgramData(const std::vector<Program> &programs, int *err) = 0;
    virtual int buildZoomLevels(const std::vector<AgData> &samples,
                                QMap<int, std::vector<AgData>> *out) = 0;
    virtual int storeProgramEvents(std::vector<AgData> *samples, std::vector<AgEvent> *out) = 0;
    virtual int storeZoomLevel(int level, qint64 from, qint64 to, std::vector<AgData> *out) = 0;
    virtual qint64 readMaxTimestamp(int level, int *err, bool fromCache) = 0;
    virtual qint64 readMinTimestamp(int level, int *err, bool fromCache) = 0;
    virtual std::vector<AgEvent> readEvents(qint64 from, qint64 to, int *err, bool fromCache) = 0;
    virtual std::vector<AgEvent> readAllEvents(int *err, bool fromCache) = 0;
    virtual AgData readLastData(int level, int *err) = 0;
    virtual std::vector<AgData> readRecentData(int level, int *err, bool fromCache) = 0;
    virtual AgDataVector *readData(int level, qint64 from, qint64 to, int *err) = 0;
    virtual AgDbConfig readLatestConfig(int *err) = 0;
    virtual Program readProgram(int mode, qint64 time, int *err) = 0;
    virtual std::vector<Program> readPrograms(int *err) = 0;
    virtual int readCount(int level, int *err) = 0;
    virtual int readVersionCount(int *err) = 0;
    virtual int openDatabase() = 0;
    virtual int checkDatabase() = 0;
    virtual int applyConfigs(const InstrumentConfig &instrumentConfig,
                             const AgConfig &agConfig) = 0;

    bool isOpened() const { return m_opened; }
    bool isLevelZeroOnly() const { return m_levelZeroOnly; }
    QString getTargetPath() const { return m_targetPath; }
    const InstrumentConfig &getInstrumentConfig() const { return m_instrumentConfig; }
    const AgConfig &getAgConfig() const { return m_agConfig; }

protected:
    AgCache &getCache() { return m_cache; }
    // The file refused a write in a way only a new connection can get over: the next call
    // closes it and opens it again, kReopenPacingMs later.
    void reopenLater();
    const AgCache &getCache() const { return m_cache; }

private:
    int openOnce();

    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
    AgCache m_cache;
    bool m_opened = false;
    bool m_reopenRequested = false;
    // Since the last failed open; invalid while none failed.
    QElapsedTimer m_failedOpen;
    qint64 m_reopenPacingMs = kReopenPacingMs;
    bool m_levelZeroOnly;
    QString m_targetPath;
};
