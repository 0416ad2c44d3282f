#pragma once

#include "ARequest.h"

#include <QMap>

// GETDATA: asks for the samples of each named audiogroup newer than its last time stamp.
class AcquisitionRequest : public ARequest
{
public:
    explicit AcquisitionRequest(const QString &reqid, CommandType commandType = GETDATA);

    // lastTimestamps: audiogroup name -> text of the newest time stamp already held.
    void setRequestData(const QString &confid, const QString &session,
                        QMap<QString, QString> lastTimestamps);
    QString getConfid() const { return m_confid; }
    QString getSession() const { return m_session; }
    QMap<QString, QString> getLastTimestamps() const { return m_lastTimestamps; }

protected:
    void writeBody(XMLTag &request) const override;

private:
    QMap<QString, QString> m_lastTimestamps;
    QString m_confid;
    QString m_session;
};
