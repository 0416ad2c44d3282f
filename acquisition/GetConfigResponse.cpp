#include "GetConfigResponse.h"

#include "code/util/src/ORQLogging.h"
#include "config/ConfigNames.h"

#include <cmath>

namespace {

// Configuration numbers are single precision on the meter. Text that is no finite number
// leaves the field as it was.
template <typename Setter>
void setNumber(const QString &text, Setter set)
{
    bool ok = false;
    const float value = text.toFloat(&ok);
    if (ok && std::isfinite(value))
        set(double(value));
}

} // namespace

GetConfigResponse::GetConfigResponse() = default;

GetConfigResponse::~GetConfigResponse() = default;

void GetConfigResponse::resetCurrentAgConfig() { m_currentAgConfig = AgConfig(); }

bool GetConfigResponse::handleStartElement(const QString &name)
{
    if (name == QLatin1String("LoudnessMeasurement"))
        m_inLoudnessMeasurement = true;
    else if (name == QLatin1String("DataSource"))
        resetCurrentAgConfig();
    return true;
}

bool GetConfigResponse::handleEndElement(const QString &name)
{
    const QString &text = currentText();
    InstrumentConfig &ic = m_instrumentConfig;
    AgConfig &ag = m_currentAgConfig;
    if (name == QLatin1String("LoudnessMeasurement")) {
        m_inLoudnessMeasurement = false;
    } else if (name == QLatin1String("Name")) {
        ic.setName(text);
    } else if (name == QLatin1String("Manufacturer")) {
        ic.setManufacturer(text);
    } else if (name == QLatin1String("ModelNumber")) {
        ic.setModelNumber(text);
    } else if (name == QLatin1String("HardwareID")) {
        ic.setHardwareId(text);
    } else if (name == QLatin1String("SerialNumber")) {
        ic.setSerialNumber(text);
    } else if (name == QLatin1String("SoftwareVersion")) {
        ic.setSoftwareVersion(text);
    } else if (name == QLatin1String("PresetName")) {
        ic.setPresetName(text);
    } else if (name == QLatin1String("TimeReference")) {
        ic.setTimeReference(text);
    } else if (name == QLatin1String("DataSource")) {
        const QString source = ag.getName();
        if (!source.isEmpty()) {
            if (m_badKeyName.isEmpty())
                checkConfigKeyName(source, QStringLiteral("Audiogroup"), &m_badKeyName);
            ic.setAgConfig(ag);
        }
        resetCurrentAgConfig();
    } else if (name == QLatin1String("SourceName")) {
        ag.setName(text);
    } else if (name == QLatin1String("AudioMode")) {
        ag.setAudioMode(text);
    } else if (name == QLatin1String("Domain")) {
        ag.setDomain(text);
    } else if (name == QLatin1String("LoudnessMode")) {
        ag.setLoudnessMode(text);
    } else if (name == QLatin1String("LoudnessUnit")) {
        // Compared whole later: values in "LU" are relative to the target loudness.
        const QString unit = text.trimmed();
        if (!unit.isEmpty())
            ag.setLoudnessUnit(unit);
    } else if (name == QLatin1String("LoudnessMinDb")) {
        setNumber(text, [&](double v) { ag.setLoudnessMinDb(v); });
    } else if (name == QLatin1String("LoudnessMaxDb")) {
        setNumber(text, [&](double v) { ag.setLoudnessMaxDb(v); });
    } else if (name == QLatin1String("TargetLoudness")) {
        setNumber(text, [&](double v) { ag.setTargetLoudness(v); });
    } else if (name == QLatin1String("RefTPMax")) {
        setNumber(text, [&](double v) { ag.setRefTPMax(v); });
    } else if (name == QLatin1String("ThresholdMinTP")) {
        setNumber(text, [&](double v) { ag.setTPUpperSecondaryThreshold(v); });
    } else if (name == QLatin1String("ThresholdMaxTP")) {
        setNumber(text, [&](double v) { ag.setTPUpperThreshold(v); });
    } else if (name == QLatin1String("ThresholdMinMomentary")) {
        setNumber(text, [&](double v) { ag.setMUpperSecondaryThreshold(v); });
    } else if (name == QLatin1String("ThresholdMaxMomentary")) {
        setNumber(text, [&](double v) { ag.setMUpperThreshold(v); });
    } else if (name == QLatin1String("ThresholdMinShort")) {
        setNumber(text, [&](double v) { ag.setSUpperSecondaryThreshold(v); });
    } else if (name == QLatin1String("ThresholdMaxShort")) {
        setNumber(text, [&](double v) { ag.setSUpperThreshold(v); });
    } else if (name == QLatin1String("ThresholdMinIntegrated")) {
        setNumber(text, [&](double v) { ag.setILowerThreshold(v); });
    } else if (name == QLatin1String("ThresholdMinIntegratedSecondary")) {
        setNumber(text, [&](double v) { ag.setILowerSecondaryThreshold(v); });
    } else if (name == QLatin1String("ThresholdMaxIntegrated")) {
        setNumber(text, [&](double v) { ag.setIUpperThreshold(v); });
    } else if (name == QLatin1String("ThresholdMaxIntegratedSecondary")) {
        setNumber(text, [&](double v) { ag.setIUpperSecondaryThreshold(v); });
    }
    return true;
}

bool GetConfigResponse::endDocument()
{
    const QString source = m_currentAgConfig.getName();
    if (source.isEmpty() || !m_instrumentConfig.hasAgConfig(source))
        resetCurrentAgConfig();
    m_instrumentConfig.setConfigurationID(getConfid());
    return true;
}

bool GetConfigResponse::isContentValid() const
{
    const InstrumentConfig &ic = m_instrumentConfig;
    // The names key the configuration file and the database files: a name that would not
    // read back unchanged must not enter the configuration, not even in part.
    QString message = m_badKeyName;
    if (message.isEmpty() && !ic.getName().isEmpty())
        checkConfigKeyName(ic.getName(), QStringLiteral("Instrument"), &message);
    if (!message.isEmpty()) {
        KIV_LOG(2, "GetConfigResponse: %s\n", message.toUtf8().constData());
        return false;
    }
    return !ic.getName().isEmpty() && !ic.getConfigurationID().isEmpty() &&
           !ic.getModelNumber().isEmpty() && !ic.getSerialNumber().isEmpty();
}
