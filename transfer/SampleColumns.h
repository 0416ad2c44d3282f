#pragma once

#include <AgData.h>

#include <QtGlobal>

// Columns 0 and 2 to 13 of a sample row, which both database readers hold alike; each reader
// reads column 1 (the time code) its own way. A reader returns false for a value it refuses.
template <typename ReadInt, typename ReadDouble>
bool readSampleColumns(AgData *sample, ReadInt readInt, ReadDouble readDouble)
{
    qint64 integer = 0;
    if (!readInt(0, &integer))
        return false;
    sample->setTimestamp(integer);
    if (!readInt(2, &integer))
        return false;
    sample->setProgramId(integer);
    using Setter = void (AgData::*)(double);
    static const Setter setters[] = {&AgData::setTP, &AgData::setTPMax, &AgData::setM100ms,
                                     &AgData::setM400ms, &AgData::setMMax, &AgData::setS,
                                     &AgData::setSMax,  &AgData::setI,    &AgData::setLRA};
    int column = 3;
    for (Setter setter : setters) {
        double value = 0.0;
        if (!readDouble(column++, &value))
            return false;
        (sample->*setter)(AgData::fromStored(value));
    }
    if (!readInt(12, &integer))
        return false;
    sample->setEvents(integer);
    if (!readInt(13, &integer))
        return false;
    sample->setFlags(integer);
    sample->setEmpty(false);
    return true;
}
