#pragma once

#include <Command.h>

#include <QString>

// The configuration text that an audiogroup stores in its database.
class SaveConfigToDbCommandParameter : public CommandParameter
{
public:
    explicit SaveConfigToDbCommandParameter(const QString &configXml);
    ~SaveConfigToDbCommandParameter() override;

    QString getConfigXml() const { return m_configXml; }

private:
    QString m_configXml;
};
