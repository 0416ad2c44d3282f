#include "AgDataModelFactory.h"

#include "SQLiteAgDataModel.h"

AgDataModel *createAgDataModel(int modelType, const InstrumentConfig &instrumentConfig,
                               const AgConfig &agConfig, bool levelZeroOnly,
                               const QString &targetPath)
{
    if (modelType == 0)
        return new SQLiteAgDataModel(instrumentConfig, agConfig, levelZeroOnly, targetPath);
    return nullptr;
}
