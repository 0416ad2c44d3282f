#include "AgDataReceivedCommandParameter.h"

#include <AgDataVector.h>

AgDataReceivedCommandParameter::AgDataReceivedCommandParameter(const QString &instrumentName,
                                                               AgDataVector *data)
    : m_instrumentName(instrumentName), m_data(data)
{
}

AgDataReceivedCommandParameter::~AgDataReceivedCommandParameter()
{
    delete m_data;
    m_data = nullptr;
}
