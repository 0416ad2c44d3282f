#include "AAgDataModel.h"

#include "AgDataModel.h"
#include "AgDataModelFactory.h"
#include "AgDataVector.h"
#include "ORQLogging.h"

#include <exception>

namespace {

inline void setCode(int *err, int code)
{
    if (err)
        *err = code;
}

} // namespace

AAgDataModel::AAgDataModel() = default;

AAgDataModel::AAgDataModel(AgDataModel *model) : m_model(model) {}

AAgDataModel::~AAgDataModel()
{
    delete m_model;
}

int AAgDataModel::init(int modelType, const InstrumentConfig &instrumentConfig,
                       const AgConfig &agConfig, bool levelZeroOnly, const QString &targetPath)
{
    if (m_model)
        return -1;
    if (modelType != 0)
        return -1;
    m_model = createAgDataModel(modelType, instrumentConfig, agConfig, levelZeroOnly, targetPath);
    if (!m_model)
        return -1;
    const int opened = m_model->open();
    // An export target that cannot be written must fail here; the audiogroup's own file is
    // retried on every call instead.
    if (levelZeroOnly && opened != 0)
        return opened;
    return 0;
}

AgStoreResult AAgDataModel::insertData(AgDataVector *batch, bool deriveEvents, int *err)
{
    if (!m_model) {
        setCode(err, -1);
        return AgStoreResult(-1);
    }
    return m_model->insertData(batch, deriveEvents, err);
}

void AAgDataModel::setBulkWrites(bool bulk)
{
    if (m_model)
        m_model->setBulkWrites(bulk);
}

void AAgDataModel::saveConfig(const AgDbConfig &row, int *err)
{
    if (!m_model)
        return setCode(err, -1);
    m_model->saveConfig(row, err);
}

void AAgDataModel::insertEvents(const std::vector<AgEvent> &events, int *err)
{
    if (!m_model)
        return setCode(err, -1);
    m_model->insertEvents(events, err);
}

void AAgDataModel::backupPrograms(const std::vector<Program> &programs, int *err)
{
    if (!m_model)
        return setCode(err, -1);
    m_model->backupPrograms(programs, err);
}

qint64 AAgDataModel::getMaxTimestamp(int level, int *err)
{
    if (!m_model) {
        setCode(err, -1);
        return -1;
    }
    return m_model->getMaxTimestamp(level, err);
}

qint64 AAgDataModel::getMinTimestamp(int level, int *err)
{
    if (!m_model) {
        setCode(err, -1);
        return -1;
    }
    return m_model->getMinTimestamp(level, err);
}

AgData AAgDataModel::getLastData(int level, int *err)
{
    if (!m_model) {
        setCode(err, -1);
        return AgData();
    }
    return m_model->getLastData(level, err);
}

AgDataVector *AAgDataModel::getData(int level, qint64 from, qint64 to, int *err)
{
    if (!m_model) {
        setCode(err, -1);
        return nullptr;
    }
    return m_model->getData(level, from, to, err);
}

AgDbConfig AAgDataModel::getLatestConfig(int *err)
{
    if (!m_model) {
        setCode(err, -1);
        return AgDbConfig();
    }
    return m_model->getLatestConfig(err);
}

Program AAgDataModel::getProgram(int mode, qint64 time, int *err)
{
    if (!m_model) {
        setCode(err, -1);
        return Program();
    }
    return m_model->getProgram(mode, time, err);
}

std::vector<Program> AAgDataModel::getPrograms(int *err)
{
    if (!m_model) {
        setCode(err, -1);
        return {};
    }
    return m_model->getPrograms(err);
}

std::vector<AgEvent> AAgDataModel::getAllEvents(int *err)
{
    if (!m_model) {
        setCode(err, -1);
        return {};
    }
    return m_model->getAllEvents(err);
}

std::vector<AgEvent> AAgDataModel::getEvents(qint64 from, qint64 to, int *err)
{
    if (!m_model) {
        setCode(err, -1);
        return {};
    }
    return m_model->getEvents(from, to, err);
}

void AAgDataModel::close()
{
    if (!m_model)
        return;
    try {
        m_model->closeDatabase();
    } catch (const std::exception &e) {
        KIV_LOG(2, "AAgDataModel close failed: %s\n", e.what());
    }
}

void AAgDataModel::updateConfig(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig)
{
    if (m_model)
        m_model->updateConfig(instrumentConfig, agConfig);
}
