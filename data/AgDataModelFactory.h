#pragma once

#include <QString>

class AgConfig;
class AgDataModel;
class InstrumentConfig;

// The store implementation of a model type (0: one SQLite file per audiogroup); null for
// an unknown type.
AgDataModel *createAgDataModel(int modelType, const InstrumentConfig &instrumentConfig,
                               const AgConfig &agConfig, bool levelZeroOnly,
                               const QString &targetPath);
