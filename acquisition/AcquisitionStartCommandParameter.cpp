#include "AcquisitionStartCommandParameter.h"

AcquisitionStartCommandParameter::AcquisitionStartCommandParameter(const QString &instrumentName,
                                                                   const QString &agName)
    : m_instrumentName(instrumentName), m_agName(agName)
{
}

AcquisitionStartCommandParameter::~AcquisitionStartCommandParameter() = default;
