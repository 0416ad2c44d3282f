#pragma once

#include "AResponse.h"

#include "config/AgConfig.h"
#include "config/InstrumentConfig.h"

// Reply to GETCONFIG: the instrument's own fields and one "DataSource" per audiogroup.
// AResponse is a virtual base, so that a reader of the meters' export files can derive from
// this and from AcquisitionResponse at once.
class GetConfigResponse : public virtual AResponse
{
public:
    GetConfigResponse();
    ~GetConfigResponse() override;

    // The instrument with its audiogroups; its ConfigurationID is the reply's confid.
    InstrumentConfig getInstrumentConfig() const { return m_instrumentConfig; }

    bool endDocument() override;

protected:
    bool handleStartElement(const QString &name) override;
    bool handleEndElement(const QString &name) override;
    bool isContentValid() const override;

    // Starts a default AgConfig as the "DataSource" being read.
    void resetCurrentAgConfig();
    bool isInLoudnessMeasurement() const { return m_inLoudnessMeasurement; }

private:
    bool m_inLoudnessMeasurement = false;
    // Why the first audiogroup name the configuration file cannot carry was refused.
    QString m_badKeyName;
    InstrumentConfig m_instrumentConfig;
    AgConfig m_currentAgConfig;
};
