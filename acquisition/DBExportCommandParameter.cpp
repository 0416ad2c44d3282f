#include "DBExportCommandParameter.h"

DBExportCommandParameter::DBExportCommandParameter(const QString &targetPath)
    : m_targetPath(targetPath)
{
}

DBExportCommandParameter::~DBExportCommandParameter() = default;
