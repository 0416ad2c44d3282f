#pragma once

#include <QMetaType>
#include <QString>
#include <QtGlobal>

// A meter that is held by another session and asks to be taken over. Its id is the
// instrument name and the creation time in ms, "name_time".
class HijackPermissionRequest
{
public:
    HijackPermissionRequest();
    // Created now (UTC ms).
    explicit HijackPermissionRequest(const QString &instrumentName);
    HijackPermissionRequest(const QString &instrumentName, qint64 creationTime);
    virtual ~HijackPermissionRequest();
    HijackPermissionRequest(const HijackPermissionRequest &) = default;
    HijackPermissionRequest &operator=(const HijackPermissionRequest &) = default;

    QString getInstrumentName() const { return m_instrumentName; }
    qint64 getCreationTime() const { return m_creationTime; }
    QString getId() const { return m_id; }

private:
    QString m_instrumentName;
    qint64 m_creationTime = -1;
    QString m_id;
};

Q_DECLARE_METATYPE(HijackPermissionRequest)
