#include "AlertGenerator.h"

#include "Alert.h"

#include <ASystem.h>
#include <AgConfig.h>
#include <AgDataVector.h>
#include <InstrumentConfig.h>
#include <KivTypes.h>
#include <KivUtils.h>
#include <XMLTag.h>

#include <QDateTime>

#include <vector>

namespace {

QString level(double value)
{
    return QString::number(value, 'f', 2);
}

} // namespace

AlertGenerator::AlertGenerator() : m_windows(ZoomLevel1h) {}

AlertGenerator::~AlertGenerator() = default;

void AlertGenerator::checkData(bool checkIAtProgramEndOnly, const InstrumentConfig *instrument,
                               const AgConfig *agConfig, const AgDataVector *samples)
{
    if (!samples || !agConfig)
        return;
    const std::vector<AgData> windowSamples = m_windows.addSamples(*agConfig, samples);
    for (const AgData &current : windowSamples) {
        if (!m_heldSample.isEmpty()) {
            const bool integratedDue =
                isIntegratedCheckDue(checkIAtProgramEndOnly, current, m_heldSample);
            const bool violates =
                agConfig->getAlertsEnabled() &&
                (m_heldSample.hasMomentaryViolation(*agConfig) ||
                 m_heldSample.hasShortTermViolation(*agConfig) ||
                 m_heldSample.hasTruePeakViolation(*agConfig) ||
                 (integratedDue && m_heldSample.hasIntegratedViolation(*agConfig)));
            if (violates) {
                if (ASystem *system = ASystem::instance())
                    system->addAlert(Alert(currentUtcMSecs(), ViolationTypeViolation,
                                           PriorityNormal, EntityTypeAudiogroup,
                                           composeViolationText(instrument, agConfig,
                                                                m_heldSample, integratedDue)));
            }
        }
        // Also while alerts are off: what happened then is not reported later.
        m_heldSample = current;
    }
}

QString AlertGenerator::composeViolationText(const InstrumentConfig *instrument,
                                             const AgConfig *agConfig, const AgData &sample,
                                             bool integratedDue)
{
    const AgConfig config = agConfig ? *agConfig : AgConfig();
    const QString when = QDateTime::fromMSecsSinceEpoch(sample.getTimestamp(), Qt::UTC)
                             .toString(QStringLiteral("yyyy.MM.dd hh:mm:ss"));
    QString text = QStringLiteral("Threshold violation at %1 UTC in %2:%3\n")
                       .arg(when, instrument ? instrument->getName() : QString(),
                            config.getName());
    // Loudness thresholds in the sample's unit, as they were compared, so value and limit
    // read alike.
    const double offset = config.loudnessThresholdOffset();
    if (sample.hasMomentaryViolation(config))
        text +=
            QStringLiteral("Momentary: %1LU (Threshold main: %2LU/ Threshold secondary: %3LU)\n")
                .arg(level(sample.getM400ms()), level(config.getMUpperThreshold() + offset),
                     level(config.getMUpperSecondaryThreshold() + offset));
    if (sample.hasShortTermViolation(config))
        text += QStringLiteral("Short: %1LU (Threshold main: %2LU/ Threshold secondary: %3LU)\n")
                    .arg(level(sample.getS()), level(config.getSUpperThreshold() + offset),
                         level(config.getSUpperSecondaryThreshold() + offset));
    if (integratedDue && sample.hasIntegratedViolation(config))
        text += QStringLiteral("Integrated: %1LU (Thresholds main: %2LU %3LU/ Thresholds "
                               "secondary: %4LU %5LU)\n")
                    .arg(level(sample.getI()), level(config.getILowerThreshold() + offset),
                         level(config.getIUpperThreshold() + offset),
                         level(config.getILowerSecondaryThreshold() + offset),
                         level(config.getIUpperSecondaryThreshold() + offset));
    if (sample.hasTruePeakViolation(config))
        text += QStringLiteral("TP: %1dBTP (Threshold main: %2dBTP/ Threshold secondary: %3dBTP)\n")
                    .arg(level(sample.getTP()), level(config.getTPUpperThreshold()),
                         level(config.getTPUpperSecondaryThreshold()));
    return stripNonXmlChars(text);
}
