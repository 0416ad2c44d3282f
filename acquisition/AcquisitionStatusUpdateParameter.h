#pragma once

#include <AcquisitionAg.h>
#include <Command.h>

// Copies of an instrument's acquisition records for the main window.
class AcquisitionStatusUpdateParameter : public CommandParameter
{
public:
    explicit AcquisitionStatusUpdateParameter(const QList<AcquisitionAg> &statusList);
    ~AcquisitionStatusUpdateParameter() override;

    QList<AcquisitionAg> getStatusList() const { return m_statusList; }

private:
    QList<AcquisitionAg> m_statusList;
};
