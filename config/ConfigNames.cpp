#include "ConfigNames.h"

#include "SystemConfig.h"

#include <KivUtils.h>
#include <ORQLogging.h>
#include <XMLTag.h>

#include <QHash>
#include <QPair>
#include <QStringList>

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

int leaveOutSharedAgDbFiles(SystemConfig &config, QStringList *notes)
{
    // File names are plain ASCII after sanitising; lower case compares them as
    // agDbFileCollides does.
    QHash<QString, QPair<QString, QString>> owners;
    QList<InstrumentConfig> instruments = config.getInstruments();
    int leftOut = 0;
    for (InstrumentConfig &instrument : instruments) {
        const QList<AgConfig> agConfigs = instrument.getAgConfigs();
        for (const AgConfig &agConfig : agConfigs) {
            const QString file = agDbFileName(instrument.getName(), agConfig.getName());
            const auto owner = owners.constFind(file.toLower());
            if (owner == owners.constEnd()) {
                owners.insert(file.toLower(), qMakePair(instrument.getName(), agConfig.getName()));
                continue;
            }
            KIV_LOG(2,
                    "Audiogroup \"%s\" of instrument \"%s\" left out of the configuration: its "
                    "database file %s is that of audiogroup \"%s\" of instrument \"%s\"\n",
                    qUtf8Printable(agConfig.getName()), qUtf8Printable(instrument.getName()),
                    qUtf8Printable(file), qUtf8Printable(owner->second),
                    qUtf8Printable(owner->first));
            if (notes)
                notes->append(QStringLiteral("Instrument \"%1\", audiogroup \"%2\": left out, its "
                                             "database file is that of audiogroup \"%3\" of "
                                             "instrument \"%4\"")
                                  .arg(instrument.getName(), agConfig.getName(), owner->second,
                                       owner->first));
            instrument.removeAgConfig(agConfig.getName());
            ++leftOut;
        }
    }
    if (leftOut > 0)
        config.setInstruments(instruments);
    return leftOut;
}
