#include "HijackPermissionCommandParameter.h"

HijackPermissionCommandParameter::HijackPermissionCommandParameter(const QString &instrumentName)
    : m_instrumentName(instrumentName)
{
}

HijackPermissionCommandParameter::~HijackPermissionCommandParameter() = default;
