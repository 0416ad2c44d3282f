#pragma once

#include <AcquisitionAg.h>
#include <AgConfig.h>
#include <AgData.h>
#include <AgDataVector.h>
#include <InstrumentConfig.h>

#include <QList>
#include <QString>

// Meters and audiogroups for the controller tests, and sample batches for them.
namespace ControllerTest {

inline AgConfig group(const QString &name, bool imported = false)
{
    AgConfig config;
    config.setName(name);
    config.setImported(imported);
    return config;
}

inline InstrumentConfig meter(const QString &name, const QList<AgConfig> &groups)
{
    InstrumentConfig config(name);
    // Never reached: acquisition stays off in these tests.
    config.setIpAdr(QStringLiteral("http://127.0.0.1"));
    config.setPort(QStringLiteral("9"));
    config.setAgConfigs(groups);
    return config;
}

// A sample far above every threshold.
inline AgData loudSample(qint64 timestamp, qint64 programId = 1, int events = 0)
{
    AgData sample;
    sample.setEmpty(false);
    sample.setTimestamp(timestamp);
    sample.setProgramId(programId);
    sample.setEvents(events);
    sample.setTP(20.0);
    sample.setM400ms(20.0);
    sample.setS(20.0);
    return sample;
}

// count loud samples from `start`, 100 ms apart.
inline AgDataVector *loudBatch(qint64 start, int count)
{
    auto *batch = new AgDataVector();
    for (int i = 0; i < count; ++i)
        batch->append(loudSample(start + i * 100));
    return batch;
}

// The meter's record of that audiogroup; an empty one when it has none.
inline AcquisitionAg statusOf(const QList<AcquisitionAg> &list, const QString &name)
{
    for (const AcquisitionAg &record : list) {
        if (record.getSourceName() == name)
            return record;
    }
    return AcquisitionAg();
}

} // namespace ControllerTest
