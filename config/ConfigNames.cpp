#include "ConfigNames.h"

#include "SystemConfig.h"

#include <KivUtils.h>
#include <XMLTag.h>

bool checkConfigKeyName(const QString &name, const QString &what, QString *message)
{
    if (isValidXmlKeyName(name))
        return true;
    if (message) {
        *message = name.isEmpty()
                       ? QStringLiteral("%1 name is empty.").arg(what)
                       : QStringLiteral("%1 name \"%2\" holds characters that cannot be stored "
                                        "in the configuration file.")
                             .arg(what, stripNonXmlChars(name));
    }
    return false;
}

bool agDbFileCollides(const SystemConfig &config, const QString &instrumentName,
                      const QString &sourceName, QString *otherInstrument, QString *otherSource)
{
    const QString file = agDbFileName(instrumentName, sourceName);
    const QList<InstrumentConfig> instruments = config.getInstruments();
    for (const InstrumentConfig &instrument : instruments) {
        const QList<AgConfig> agConfigs = instrument.getAgConfigs();
        for (const AgConfig &agConfig : agConfigs) {
            if (instrument.getName() == instrumentName && agConfig.getName() == sourceName)
                continue;
            if (agDbFileName(instrument.getName(), agConfig.getName())
                    .compare(file, Qt::CaseInsensitive) == 0) {
                if (otherInstrument)
                    *otherInstrument = instrument.getName();
                if (otherSource)
                    *otherSource = agConfig.getName();
                return true;
            }
        }
    }
    return false;
}
