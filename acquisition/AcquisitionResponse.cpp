#include "AcquisitionResponse.h"

#include "DataReplyReader.h"
#include "ReplyNumbers.h"
#include "ReplyText.h"

#include "data/AgData.h"
#include "data/AgDataVector.h"

#include <ORQLogging.h>

#include <cmath>
#include <typeinfo>

namespace {

qint64 toInt64(QStringView text)
{
    bool ok = false;
    const qint64 value = replyInt64(text, &ok);
    return ok ? value : 0;
}

} // namespace

AcquisitionResponse::AcquisitionResponse() = default;

AcquisitionResponse::~AcquisitionResponse() { qDeleteAll(m_dataLists); }

AgDataVector *AcquisitionResponse::takeAgDataList(const QString &name)
{
    return m_dataLists.take(name);
}

void AcquisitionResponse::discardCurrentList() { m_currentList.reset(); }

void AcquisitionResponse::deleteCurrentAgData() { m_inSample = false; }

bool AcquisitionResponse::parseReplyBytes(const QByteArray &body)
{
    // A subclass would miss the elements it reads itself.
    if (typeid(*this) == typeid(AcquisitionResponse) && DataReplyReader::read(body, *this))
        return isValid();
    return parseReply(decodeReplyBody(body));
}

bool AcquisitionResponse::handleStartElement(const QString &name)
{
    if (isElement(name, QLatin1String("AGDataList"))) {
        m_inList = true;
        discardCurrentList();
        deleteCurrentAgData();
        m_currentList.reset(new AgDataVector(0));
        m_droppedCount = 0;
    } else if (isElement(name, QLatin1String("AGData"))) {
        m_currentSample = AgData();
        m_currentSample.setEmpty(false);
        m_inSample = true;
    }
    return true;
}

bool AcquisitionResponse::handleEndElement(const QString &name)
{
    // Numbers are read in place; only a name is copied.
    const QStringView text = currentTextView();
    if (isElement(name, QLatin1String("AGDataList"))) {
        m_inList = false;
        if (m_currentList) {
            storeList(std::move(m_currentList), m_currentName, m_currentCount, m_droppedCount,
                      m_firstDropped);
            deleteCurrentAgData();
            m_currentName.clear();
            m_currentCount = 0;
        }
        return true;
    }
    if (isElement(name, QLatin1String("Name"))) {
        m_currentName = currentText();
        return true;
    }
    if (isElement(name, QLatin1String("numAvail"))) {
        bool ok = false;
        m_currentCount = replyInt(text, &ok);
        if (!ok)
            m_currentCount = 0;
        return true;
    }
    if (isElement(name, QLatin1String("AGData"))) {
        if (m_inSample && m_currentList) {
            const qint64 timestamp = m_currentSample.getTimestamp();
            if (AgData::isStorableTimestamp(timestamp)) {
                m_currentList->append(m_currentSample);
            } else if (m_droppedCount++ == 0) {
                m_firstDropped = timestamp;
            }
            deleteCurrentAgData();
        }
        return true;
    }
    if (!m_inSample)
        return true;
    AgData *s = &m_currentSample;
    if (isElement(name, QLatin1String("tmCode"))) {
        bool ok = false;
        const quint64 value = replyUInt64(text, &ok);
        // The time code is an opaque 64-bit word.
        s->setTimecode(ok ? static_cast<qint64>(value) : 0);
    } else if (isElement(name, QLatin1String("tmStamp"))) {
        s->setTimestamp(toInt64(text));
    } else if (isElement(name, QLatin1String("pgmid"))) {
        s->setProgramId(toInt64(text));
    } else if (isElement(name, QLatin1String("TP"))) {
        s->setTP(readValue("TP", text));
    } else if (isElement(name, QLatin1String("TPMax"))) {
        s->setTPMax(readValue("TPMax", text));
    } else if (isElement(name, QLatin1String("M100ms"))) {
        s->setM100ms(readValue("M100ms", text));
    } else if (isElement(name, QLatin1String("M400ms"))) {
        s->setM400ms(readValue("M400ms", text));
    } else if (isElement(name, QLatin1String("MMax"))) {
        s->setMMax(readValue("MMax", text));
    } else if (isElement(name, QLatin1String("S"))) {
        s->setS(readValue("S", text));
    } else if (isElement(name, QLatin1String("SMax"))) {
        s->setSMax(readValue("SMax", text));
    } else if (isElement(name, QLatin1String("I"))) {
        s->setI(readValue("I", text));
    } else if (isElement(name, QLatin1String("LRA"))) {
        s->setLRA(readValue("LRA", text));
    } else if (isElement(name, QLatin1String("SPL"))) {
        s->setSPL(readValue("SPL", text));
    } else if (isElement(name, QLatin1String("Flags"))) {
        s->setFlags(toInt64(text));
    } else if (isElement(name, QLatin1String("EventList"))) {
        s->setEvents(toInt64(text));
    }
    return true;
}

double AcquisitionResponse::readValue(const char *field, QStringView text)
{
    bool ok = false;
    const double value = replyDouble(text, &ok);
    if (ok && std::isfinite(value))
        return value;
    // Never a plausible reading: 0 would read as a sample right at the target.
    noteUnreadable(field, text);
    return AgData::noValue();
}

void AcquisitionResponse::noteUnreadable(const char *field, QStringView text)
{
    const QString name = QLatin1String(field);
    if (!m_unreadableFields.contains(name))
        m_unreadableFields.append(name);
    if (!m_unreadableTexts.contains(name))
        m_unreadableTexts.insert(name, text.toString().left(40));
}

void AcquisitionResponse::storeList(std::unique_ptr<AgDataVector> list, const QString &name,
                                    int available, int dropped, qint64 firstDropped)
{
    if (dropped > 0)
        KIV_LOG(2,
                "AcquisitionResponse: %d samples of %s dropped for their time stamp "
                "(first %lld)\n",
                dropped, qUtf8Printable(name), static_cast<long long>(firstDropped));
    list->setName(name);
    // A repeated name replaces the earlier list, which nobody else owns.
    delete m_dataLists.value(name, nullptr);
    m_dataLists.insert(name, list.release());
    m_availableCounts.insert(name, available);
}

bool AcquisitionResponse::endDocument()
{
    discardCurrentList();
    deleteCurrentAgData();
    if (!m_unreadableFields.isEmpty()) {
        QStringList named;
        for (const QString &field : qAsConst(m_unreadableFields))
            named << QStringLiteral("%1 (\"%2\")").arg(field, m_unreadableTexts.value(field));
        KIV_LOG(2,
                "AcquisitionResponse: values that are not finite numbers stored as no value "
                "in %s\n",
                qUtf8Printable(named.join(QStringLiteral(", "))));
    }
    return true;
}

bool AcquisitionResponse::isContentValid() const { return !getConfid().isEmpty(); }
