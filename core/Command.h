#pragma once

#include <QString>

// Polymorphic base of every command payload; handlers recover the concrete class by
// dynamic_cast.
class CommandParameter
{
public:
    virtual ~CommandParameter();
};

// A unit of work for a controller thread. Owns its payload.
class Command
{
public:
    Command(int type, CommandParameter *parameter = nullptr);
    virtual ~Command();
    Command(const Command &) = delete;
    Command &operator=(const Command &) = delete;

    int getId() const { return m_id; }
    int getType() const { return m_type; }
    CommandParameter *getParameter() const { return m_parameter; }

    // The payload cast to the class that the command type carries; null on a mismatch.
    template <typename T> T *parameterAs() const { return dynamic_cast<T *>(m_parameter); }

private:
    int m_id;
    int m_type;
    CommandParameter *m_parameter;
};

// A command that carries a reply value back to the requester's queue.
class CommandReply : public Command
{
public:
    CommandReply(int value, int type, CommandParameter *parameter = nullptr);
    int getValue() const { return m_value; }

private:
    int m_value;
};

class AgCommandReply : public CommandReply
{
public:
    AgCommandReply(const QString &agName, int value, int type,
                   CommandParameter *parameter = nullptr);
    QString getAgName() const { return m_agName; }

private:
    QString m_agName;
};
