#pragma once

#include "AResponse.h"

#include "data/AgData.h"

#include <QByteArray>
#include <QMap>
#include <QStringList>

#include <memory>

class AgDataVector;

// Reply to GETDATA: one "AGDataList" of "AGData" samples per audiogroup. AResponse is a
// virtual base (see GetConfigResponse).
class AcquisitionResponse : public virtual AResponse
{
public:
    AcquisitionResponse();
    ~AcquisitionResponse() override;

    // Audiogroup name -> samples. The reply owns the lists until they are taken.
    const QMap<QString, AgDataVector *> &getAgDataLists() const { return m_dataLists; }
    // Hands the list over to the caller; null when there is none of that name.
    AgDataVector *takeAgDataList(const QString &name);
    // Audiogroup name -> "numAvail" of its list.
    QMap<QString, int> getAvailableCounts() const { return m_availableCounts; }

    // As parseReply(decodeReplyBody(body)). The common form of the reply is read straight
    // from the bytes (DataReplyReader) unless a subclass reads elements of its own.
    bool parseReplyBytes(const QByteArray &body);

    bool endDocument() override;

protected:
    bool handleStartElement(const QString &name) override;
    bool handleEndElement(const QString &name) override;
    bool isContentValid() const override;

    // Drops the list being filled (never one already stored).
    void discardCurrentList();
    void deleteCurrentAgData();
    bool isInList() const { return m_inList; }
    // The list being filled; null outside one.
    AgDataVector *currentList() const { return m_currentList.get(); }
    // The value of a loudness field; no value (logged once per field and reply) when the
    // text is not a finite number.
    double readValue(const char *field, QStringView text);

private:
    friend class DataReplyReader;
    // Stores a finished list under its name, logging the samples dropped from it.
    void storeList(std::unique_ptr<AgDataVector> list, const QString &name, int available,
                   int dropped, qint64 firstDropped);
    void noteUnreadable(const char *field, QStringView text);

    QMap<QString, AgDataVector *> m_dataLists;
    QMap<QString, int> m_availableCounts;
    bool m_inList = false;
    int m_currentCount = 0;
    QString m_currentName;
    // Samples of the current list dropped for their time stamp, and the first such stamp.
    int m_droppedCount = 0;
    qint64 m_firstDropped = 0;
    // Fields with a value that is not a finite number, in reply order, and the first text.
    QStringList m_unreadableFields;
    QMap<QString, QString> m_unreadableTexts;
    std::unique_ptr<AgDataVector> m_currentList;
    // The sample being read, held in place: a reply brings thousands.
    AgData m_currentSample;
    bool m_inSample = false;
};
