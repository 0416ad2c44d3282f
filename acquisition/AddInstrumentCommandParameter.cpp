#include "AddInstrumentCommandParameter.h"

AddInstrumentCommandParameter::AddInstrumentCommandParameter(const QString &address,
                                                             const QString &password)
    : m_address(address), m_password(password)
{
}

AddInstrumentCommandParameter::~AddInstrumentCommandParameter() = default;
