#include "DBImportRequestCommandParameter.h"

DBImportRequestCommandParameter::DBImportRequestCommandParameter(const QString &filePath,
                                                                 bool nameSuffixFlag,
                                                                 const QString &nameSuffix)
    : m_filePath(filePath), m_nameSuffixFlag(nameSuffixFlag), m_nameSuffix(nameSuffix)
{
}

DBImportRequestCommandParameter::~DBImportRequestCommandParameter() = default;
