#pragma once

#include "core/KivTypes.h"

#include <QByteArray>
#include <QString>

class XMLTag;

// One request to a meter: an XML document sent as the body of an HTTP POST to the path of
// its command type. The owner keeps the object; toXml() does not change it.
class ARequest : public ARequestTypes
{
public:
    ARequest(const QString &reqid, CommandType commandType);
    virtual ~ARequest();

    QString getReqId() const { return m_reqid; }
    CommandType getCommandType() const { return m_commandType; }

    // The declaration followed by the "Request" element.
    QString toXml() const;
    // The POST body: the text in UTF-8, as the declaration says.
    QByteArray toBody() const;

protected:
    // Appends the kind's own elements after "version", "reqid" and "cmd".
    virtual void writeBody(XMLTag &request) const = 0;

private:
    QString m_reqid;
    CommandType m_commandType;
};
