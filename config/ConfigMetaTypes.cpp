#include "ConfigMetaTypes.h"

#include "SystemConfig.h"

#include <QList>
#include <QMetaType>

void registerConfigMetaTypes()
{
    qRegisterMetaType<SystemConfig>("SystemConfig");
    qRegisterMetaType<InstrumentConfig>("InstrumentConfig");
    qRegisterMetaType<AgConfig>("AgConfig");
    qRegisterMetaType<SMTPConfig>("SMTPConfig");
    qRegisterMetaType<ReportConfig>("ReportConfig");
    qRegisterMetaType<AlertContactConfig>("AlertContactConfig");
    qRegisterMetaType<QList<int>>("QList<int>");
    qRegisterMetaType<QList<AlertContactConfig>>("QList<AlertContactConfig>");
}
