#pragma once

#include <Command.h>

#include <QString>

// The address and password entered in the add-device dialog.
class AddInstrumentCommandParameter : public CommandParameter
{
public:
    AddInstrumentCommandParameter(const QString &address, const QString &password);
    ~AddInstrumentCommandParameter() override;

    QString getAddress() const { return m_address; }
    QString getPassword() const { return m_password; }

private:
    QString m_address;
    QString m_password;
};
