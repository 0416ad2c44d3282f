#pragma once

#include "Alert.h"

#include <QString>

#include <vector>

// Writes a batch of alerts as the "AlertsEmail" document that the alert e-mail template
// turns into the HTML body: one "Alert" per alert, in batch order, with its local time as
// the "time" attribute and its type, severity, source and description as text children.
class AlertEmailXMLComposer
{
public:
    explicit AlertEmailXMLComposer(std::vector<Alert> alerts);
    virtual ~AlertEmailXMLComposer();

    QString compose() const;

private:
    std::vector<Alert> m_alerts;
};
