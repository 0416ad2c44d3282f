#pragma once

#include <Command.h>

#include <QString>

// Names the audiogroup whose acquisition the user started from its window.
class AcquisitionStartCommandParameter : public CommandParameter
{
public:
    AcquisitionStartCommandParameter(const QString &instrumentName, const QString &agName);
    ~AcquisitionStartCommandParameter() override;

    QString getInstrumentName() const { return m_instrumentName; }
    QString getAgName() const { return m_agName; }

private:
    QString m_instrumentName;
    QString m_agName;
};
