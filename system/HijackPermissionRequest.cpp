#include "HijackPermissionRequest.h"

HijackPermissionRequest::HijackPermissionRequest() = default;

HijackPermissionRequest::HijackPermissionRequest(const QString &instrumentName, qint64 creationTime)
    : m_instrumentName(instrumentName), m_creationTime(creationTime),
      m_id(QStringLiteral("%1_%2").arg(instrumentName).arg(creationTime))
{
}

HijackPermissionRequest::~HijackPermissionRequest() = default;
