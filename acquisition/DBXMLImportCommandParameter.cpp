#include "DBXMLImportCommandParameter.h"

#include <AgDataVector.h>

DBXMLImportCommandParameter::DBXMLImportCommandParameter(int requestId, int sourceType,
                                                         AgDataVector *data)
    : m_requestId(requestId), m_sourceType(sourceType), m_data(data)
{
}

DBXMLImportCommandParameter::DBXMLImportCommandParameter(int requestId, int sourceType,
                                                         const XmlSampleList &list)
    : m_requestId(requestId), m_sourceType(sourceType), m_data(nullptr), m_list(list)
{
}

DBXMLImportCommandParameter::~DBXMLImportCommandParameter()
{
    delete m_data;
    m_data = nullptr;
}
