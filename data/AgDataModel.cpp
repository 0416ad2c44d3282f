#include "AgDataModel.h"

#include "AgDataVector.h"
#include "KivTypes.h"
#include "ORQLogging.h"

#include <exception>
#include <utility>

namespace {

// Runs one store operation so that no exception leaves the store: a failure is logged and
// answered with -1 and the operation's empty value.
template <typename Result, typename Call>
Result guarded(const AgDataModel &model, const char *operation, int *err, Result failed,
               Call &&call)
{
    try {
        return call();
    } catch (const std::exception &e) {
        KIV_LOG(2, "AgDataModel[%s][%s] %s failed: %s\n",
                qPrintable(model.getInstrumentConfig().getName()),
                qPrintable(model.getAgConfig().getName()), operation, e.what());
        *err = -1;
        return failed;
    }
}

} // namespace

AgDataModel::AgDataModel(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig,
                         bool levelZeroOnly, const QString &targetPath)
    : m_instrumentConfig(instrumentConfig), m_agConfig(agConfig), m_levelZeroOnly(levelZeroOnly),
      m_targetPath(targetPath)
{
}

AgDataModel::~AgDataModel() = default;

int AgDataModel::open()
{
    int err = 0;
    return guarded(*this, "open", &err, -1, [&] { return openOnce(); });
}

void AgDataModel::reopenLater()
{
    m_reopenRequested = true;
}

int AgDataModel::openOnce()
{
    if (m_opened && !m_reopenRequested)
        return 0;
    if (m_reopenRequested) {
        // A write was refused (a read-only file, a file replaced or gone): the connection
        // keeps what it found at its open, so only a new one sees a repair.
        m_reopenRequested = false;
        closeDatabase();
        m_opened = false;
        m_failedOpen.start();
    }
    // Tried again at a modest pace, not at every request of the meter's thread.
    if (m_reopenPacingMs > 0 && m_failedOpen.isValid() &&
        !m_failedOpen.hasExpired(m_reopenPacingMs))
        return -1;
    if (openDatabase() != 0) {
        m_failedOpen.start();
        return -1;
    }
    m_failedOpen.invalidate();
    // The next call opens again from scratch: a half-done open keeps neither the connection
    // nor its statements (opening over them would leak them at every retry).
    auto failed = [this] {
        closeDatabase();
        m_failedOpen.start();
        return -1;
    };
    if (checkDatabase() != 0)
        return failed();
    int err = 0;
    const std::vector<AgEvent> events = readAllEvents(&err, false);
    if (err != 0)
        return failed();
    QMap<int, std::vector<AgData>> rows;
    QMap<int, qint64> oldest;
    for (int level = 0; level < kZoomLevelCount; ++level) {
        if (m_levelZeroOnly && level > 0)
            break;
        rows.insert(level, readRecentData(level, &err, false));
        if (err != 0)
            return failed();
        oldest.insert(level, readMinTimestamp(level, &err, false));
        if (err != 0)
            return failed();
    }
    m_cache.init(oldest, events, rows);
    m_opened = true;
    return 0;
}

AgStoreResult AgDataModel::insertData(AgDataVector *batch, bool deriveEvents, int *err)
{
    int ignored = 0;
    AgStoreResult result = guarded(*this, "insertData", &ignored, AgStoreResult(-1), [&] {
        const int opened = open();
        return opened == 0 ? storeData(batch, deriveEvents) : AgStoreResult(opened);
    });
    if (err)
        *err = result.getCode();
    return result;
}

void AgDataModel::insertEvents(const std::vector<AgEvent> &events, int *err)
{
    int ignored = 0;
    int *code = err ? err : &ignored;
    guarded(*this, "insertEvents", code, 0, [&] {
        if ((*code = open()) == 0)
            storeEvents(events, code);
        return 0;
    });
}

void AgDataModel::saveConfig(const AgDbConfig &row, int *err)
{
    int ignored = 0;
    int *code = err ? err : &ignored;
    guarded(*this, "saveConfig", code, 0, [&] {
        if ((*code = open()) == 0)
            storeConfig(row, code);
        return 0;
    });
}

void AgDataModel::backupPrograms(const std::vector<Program> &programs, int *err)
{
    int ignored = 0;
    int *code = err ? err : &ignored;
    guarded(*this, "backupPrograms", code, 0, [&] {
        if ((*code = open()) == 0)
            backupProgramData(programs, code);
        return 0;
    });
}

qint64 AgDataModel::getMaxTimestamp(int level, int *err)
{
    int ignored = 0;
    int *code = err ? err : &ignored;
    return guarded(*this, "getMaxTimestamp", code, qint64(-1), [&]() -> qint64 {
        if ((*code = open()) != 0)
            return -1;
        return readMaxTimestamp(level, code, true);
    });
}

qint64 AgDataModel::getMinTimestamp(int level, int *err)
{
    int ignored = 0;
    int *code = err ? err : &ignored;
    return guarded(*this, "getMinTimestamp", code, qint64(-1), [&]() -> qint64 {
        if ((*code = open()) != 0)
            return -1;
        return readMinTimestamp(level, code, true);
    });
}

AgData AgDataModel::getLastData(int level, int *err)
{
    int ignored = 0;
    int *code = err ? err : &ignored;
    return guarded(*this, "getLastData", code, AgData(), [&]() -> AgData {
        if ((*code = open()) != 0)
            return AgData();
        return readLastData(level, code);
    });
}

AgDataVector *AgDataModel::getData(int level, qint64 from, qint64 to, int *err)
{
    int ignored = 0;
    int *code = err ? err : &ignored;
    return guarded(*this, "getData", code, static_cast<AgDataVector *>(nullptr),
                   [&]() -> AgDataVector * {
                       if ((*code = open()) != 0)
                           return nullptr;
                       return readData(level, from, to, code);
                   });
}

AgDbConfig AgDataModel::getLatestConfig(int *err)
{
    int ignored = 0;
    int *code = err ? err : &ignored;
    return guarded(*this, "getLatestConfig", code, AgDbConfig(), [&]() -> AgDbConfig {
        if ((*code = open()) != 0)
            return AgDbConfig();
        return readLatestConfig(code);
    });
}

Program AgDataModel::getProgram(int mode, qint64 time, int *err)
{
    int ignored = 0;
    int *code = err ? err : &ignored;
    return guarded(*this, "getProgram", code, Program(), [&]() -> Program {
        if ((*code = open()) != 0)
            return Program();
        return readProgram(mode, time, code);
    });
}

std::vector<Program> AgDataModel::getPrograms(int *err)
{
    int ignored = 0;
    int *code = err ? err : &ignored;
    return guarded(*this, "getPrograms", code, std::vector<Program>(),
                   [&]() -> std::vector<Program> {
                       if ((*code = open()) != 0)
                           return {};
                       return readPrograms(code);
                   });
}

std::vector<AgEvent> AgDataModel::getAllEvents(int *err)
{
    int ignored = 0;
    int *code = err ? err : &ignored;
    return guarded(*this, "getAllEvents", code, std::vector<AgEvent>(),
                   [&]() -> std::vector<AgEvent> {
                       if ((*code = open()) != 0)
                           return {};
                       return readAllEvents(code, true);
                   });
}

std::vector<AgEvent> AgDataModel::getEvents(qint64 from, qint64 to, int *err)
{
    int ignored = 0;
    int *code = err ? err : &ignored;
    return guarded(*this, "getEvents", code, std::vector<AgEvent>(), [&]() -> std::vector<AgEvent> {
        if ((*code = open()) != 0)
            return {};
        return readEvents(from, to, code, true);
    });
}

void AgDataModel::updateConfig(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig)
{
    int ignored = 0;
    guarded(*this, "updateConfig", &ignored, 0, [&] {
        m_instrumentConfig = instrumentConfig;
        m_agConfig = agConfig;
        return applyConfigs(InstrumentConfig(m_instrumentConfig), AgConfig(m_agConfig));
    });
}
