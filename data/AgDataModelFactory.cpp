#include "AgDataModelFactory.h"

#include "AgDataModel.h"

// Stand-in until the SQLite store lands: no type has an implementation yet.
AgDataModel *createAgDataModel(int modelType, const InstrumentConfig &instrumentConfig,
                               const AgConfig &agConfig, bool levelZeroOnly,
                               const QString &targetPath)
{
    Q_UNUSED(modelType)
    Q_UNUSED(instrumentConfig)
    Q_UNUSED(agConfig)
    Q_UNUSED(levelZeroOnly)
    Q_UNUSED(targetPath)
    return nullptr;
}
