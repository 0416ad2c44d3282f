#include "AInstrument.h"

#include "AAudioGroup.h"

AInstrument::AInstrument() = default;

AInstrument::~AInstrument() = default;

QList<ARetirableAudioGroup *> AInstrument::getRetirableAudioGroups() const
{
    QList<ARetirableAudioGroup *> result;
    const QList<AAudioGroup *> groups = m_instrument.getAudioGroups();
    for (AAudioGroup *group : groups)
        result.append(group);
    return result;
}

ARetirableAudioGroup *AInstrument::takeRetirableAudioGroup(const QString &name)
{
    return m_instrument.takeAudioGroup(name);
}
