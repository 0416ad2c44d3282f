#pragma once

#include <Command.h>

#include <QString>

// A meter held by another session asks to be taken over.
class HijackPermissionCommandParameter : public CommandParameter
{
public:
    explicit HijackPermissionCommandParameter(const QString &instrumentName);
    ~HijackPermissionCommandParameter() override;

    QString getInstrumentName() const { return m_instrumentName; }

private:
    QString m_instrumentName;
};
