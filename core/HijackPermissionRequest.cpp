#include "HijackPermissionRequest.h"

#include <QDateTime>

HijackPermissionRequest::HijackPermissionRequest() = default;

HijackPermissionRequest::HijackPermissionRequest(const QString &instrumentName)
    : HijackPermissionRequest(instrumentName, QDateTime::currentMSecsSinceEpoch())
{
}

HijackPermissionRequest::HijackPermissionRequest(const QString &instrumentName, qint64 creationTime)
    : m_instrumentName(instrumentName), m_creationTime(creationTime),
      // One arg() call: a "%1" inside the name must not take the time.
      m_id(QStringLiteral("%1_%2").arg(instrumentName, QString::number(creationTime)))
{
}

HijackPermissionRequest::~HijackPermissionRequest() = default;
