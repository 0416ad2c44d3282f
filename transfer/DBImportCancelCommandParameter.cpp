#include "DBImportCancelCommandParameter.h"

DBImportCancelCommandParameter::DBImportCancelCommandParameter(int cancelKey)
    : m_cancelKey(cancelKey)
{
}

DBImportCancelCommandParameter::~DBImportCancelCommandParameter() = default;
