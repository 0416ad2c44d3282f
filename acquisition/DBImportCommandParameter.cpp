#include "DBImportCommandParameter.h"

DBImportCommandParameter::DBImportCommandParameter(int requestId, int sourceType,
                                                   const QString &filePath)
    : m_requestId(requestId), m_sourceType(sourceType), m_filePath(filePath)
{
}

DBImportCommandParameter::~DBImportCommandParameter() = default;
