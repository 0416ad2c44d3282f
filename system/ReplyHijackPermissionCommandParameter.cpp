#include "ReplyHijackPermissionCommandParameter.h"

ReplyHijackPermissionCommandParameter::ReplyHijackPermissionCommandParameter(
    const QString &instrumentName, const QString &requestId)
    : m_instrumentName(instrumentName), m_requestId(requestId)
{
}

ReplyHijackPermissionCommandParameter::~ReplyHijackPermissionCommandParameter() = default;
