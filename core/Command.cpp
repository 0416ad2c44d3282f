#include "Command.h"

CommandParameter::~CommandParameter() = default;

Command::Command(int type, CommandParameter *parameter)
    : m_id(type), m_type(type), m_parameter(parameter)
{
}

Command::~Command()
{
    delete m_parameter;
    m_parameter = nullptr;
}

CommandReply::CommandReply(int value, int type, CommandParameter *parameter)
    : Command(type, parameter), m_value(value)
{
}

AgCommandReply::AgCommandReply(const QString &agName, int value, int type,
                               CommandParameter *parameter)
    : CommandReply(value, type, parameter), m_agName(agName)
{
}
