#include "StatusLight.h"

#include <KivUtils.h>

#include <QDateTime>
#include <QStringList>

#include <algorithm>

namespace {

const QString &connectingMessage()
{
    static const QString text = QStringLiteral("Connecting ...");
    return text;
}

const QString &cannotLogMessage()
{
    static const QString text = QStringLiteral("Cannot log");
    return text;
}

// A time in the future gives a negative age, which is below every bound.
bool isYoungerThan(qint64 nowMs, qint64 timeMs, qint64 boundMs)
{
    return nowMs - timeMs < boundMs;
}

} // namespace

StatusLight::StatusLight() = default;

StatusLight::StatusLight(bool acquisitionOn, const InstrumentConfig &instrumentConfig,
                         const AgConfig &agConfig)
    : m_acquisitionOn(acquisitionOn), m_instrumentConfig(instrumentConfig), m_agConfig(agConfig)
{
}

StatusLight::StatusLight(const StatusLight &other) = default;

StatusLight &StatusLight::operator=(const StatusLight &other) = default;

StatusLight::~StatusLight() = default;

void StatusLight::setConfiguration(bool acquisitionOn, const InstrumentConfig &instrumentConfig,
                                   const AgConfig &agConfig)
{
    m_acquisitionOn = acquisitionOn;
    m_instrumentConfig = instrumentConfig;
    m_agConfig = agConfig;
}

void StatusLight::setAcquisitionAg(const AcquisitionAg &acquisitionAg)
{
    m_acquisitionAg = acquisitionAg;
}

void StatusLight::setAgViolations(const AgViolations &violations)
{
    m_violations = violations;
}

StatusLightDescription StatusLight::getDescription() const
{
    return getDescription(monotonicMSecs());
}

StatusLightDescription StatusLight::getDescription(qint64 nowMs) const
{
    StatusLightDescription description;
    description.imported = m_agConfig.getImported();
    description.instrumentName = m_instrumentConfig.getName();
    description.agSourceName = m_agConfig.getName();

    // Connection light. An imported audiogroup has no meter behind it: no lamps, no text.
    const QString refused = m_instrumentConfig.getRefusedAtLoad();
    if (description.imported) {
        description.connectionState = StatusLightDescription::kStateMessage;
    } else if (!refused.isEmpty()) {
        description.connectionState = StatusLightDescription::kStateMessage;
        description.connectionMessage = cannotLogMessage();
        description.connectionNote = QStringLiteral("Settings: %1").arg(refused);
    } else if (!m_acquisitionAg.isConnected()) {
        describeNotConnected(nowMs, description.connectionState, description.connectionMessage);
    } else if (!isLogging()) {
        description.connectionState = StatusLightDescription::kStateInactive;
    } else {
        description.connectionState = connectionState(nowMs);
    }
    if (!description.imported && refused.isEmpty())
        description.connectionNote = acquisitionNote();

    // Violation light. An imported audiogroup shows its counters whatever its status says.
    if (description.imported)
        description.violationState = violationCounterState();
    else if (!m_acquisitionAg.isConnected())
        describeNotConnected(nowMs, description.violationState, description.violationMessage);
    else if (!isLogging())
        description.violationState = StatusLightDescription::kStateInactive;
    else
        description.violationState = violationCounterState();
    return description;
}

bool StatusLight::isLogging() const
{
    return m_acquisitionOn && m_agConfig.getHasLoggingEnabled();
}

void StatusLight::describeNotConnected(qint64 nowMs, int &state, QString &message) const
{
    if (isYoungerThan(nowMs, m_acquisitionAg.getConnectionStartTime(), kConnectingMs)) {
        state = StatusLightDescription::kStateMessage;
        message = connectingMessage();
    } else {
        state = StatusLightDescription::kStateRed;
    }
}

namespace {

QString stampText(qint64 stamp)
{
    return QDateTime::fromMSecsSinceEpoch(stamp, Qt::UTC).toString(Qt::ISODate);
}

} // namespace

QString StatusLight::acquisitionNote() const
{
    const AcquisitionAg &ag = m_acquisitionAg;
    QStringList lines;
    if (!ag.getStopCause().isEmpty())
        lines << QStringLiteral("No samples: %1").arg(ag.getStopCause());
    if (ag.getClockAheadMs() > 0)
        lines << QStringLiteral("The meter's clock runs about %1 s ahead of this computer's "
                                "clock")
                     .arg((ag.getClockAheadMs() + 500) / 1000);
    if (ag.getFutureSamples() > 0)
        lines << QStringLiteral("%1 samples stamped more than 10 minutes ahead of this "
                                "computer's clock were not stored, the newest %2")
                     .arg(ag.getFutureSamples())
                     .arg(stampText(ag.getLastFutureTimestamp()));
    if (ag.getOldSamples() > 0)
        lines << QStringLiteral("%1 samples stamped before the newest stored one were not "
                                "stored, the last %2 to %3")
                     .arg(ag.getOldSamples())
                     .arg(stampText(ag.getLastOldFrom()), stampText(ag.getLastOldTo()));
    if (ag.getLastGapMissing() > 0)
        lines << QStringLiteral("Last gap: %1 samples missing after %2, before %3")
                     .arg(ag.getLastGapMissing())
                     .arg(stampText(ag.getLastGapFrom()), stampText(ag.getLastGapTo()));
    return lines.join(QLatin1Char('\n'));
}

qint64 StatusLight::nextChangeAfter(qint64 nowMs) const
{
    // The branches of getDescription: only the ages below decide anything there.
    if (m_agConfig.getImported())
        return kNever;
    qint64 next = kNever;
    const auto bound = [nowMs, &next](qint64 timeMs, qint64 ageMs) {
        // An age reaches the bound at timeMs + ageMs; one passed already changes nothing.
        if (timeMs <= kNever - ageMs && timeMs + ageMs > nowMs)
            next = std::min(next, timeMs + ageMs);
    };
    const AcquisitionAg &ag = m_acquisitionAg;
    // Not connected: both lights, or the violation light of a meter refused at load.
    if (!ag.isConnected()) {
        bound(ag.getConnectionStartTime(), kConnectingMs);
        return next;
    }
    if (!isLogging() || !m_instrumentConfig.getRefusedAtLoad().isEmpty())
        return kNever;
    if (ag.getUnreachableSince() != 0)
        bound(ag.getUnreachableSince(), kConnectingMs);
    for (const qint64 ageMs : {kFreshMs, kLateMs}) {
        bound(ag.getLastReplyTime(), ageMs);
        bound(ag.getLastDataTime(), ageMs);
    }
    return next;
}

int StatusLight::connectionState(qint64 nowMs) const
{
    // A meter not reached for as long as a first connection may take is lost.
    const qint64 unreachable = m_acquisitionAg.getUnreachableSince();
    if (unreachable != 0 && !isYoungerThan(nowMs, unreachable, kConnectingMs))
        return StatusLightDescription::kStateRed;
    const qint64 reply = m_acquisitionAg.getLastReplyTime();
    const qint64 data = m_acquisitionAg.getLastDataTime();
    if (isYoungerThan(nowMs, reply, kFreshMs) && isYoungerThan(nowMs, data, kFreshMs))
        return StatusLightDescription::kStateGreen;
    if (isYoungerThan(nowMs, reply, kLateMs) && isYoungerThan(nowMs, data, kLateMs))
        return StatusLightDescription::kStateYellow;
    return StatusLightDescription::kStateRed;
}

int StatusLight::violationCounterState() const
{
    const AgViolations &v = m_violations;
    const bool anySet =
        v.getMomentaryMainCount() != 0 || v.getShortTermMainCount() != 0 ||
        v.getIntegratedUpperMainCount() != 0 || v.getIntegratedLowerMainCount() != 0 ||
        v.getTruePeakMainCount() != 0 || v.getMomentarySecondaryCount() != 0 ||
        v.getShortTermSecondaryCount() != 0 || v.getIntegratedUpperSecondaryCount() != 0 ||
        v.getIntegratedLowerSecondaryCount() != 0 || v.getTruePeakSecondaryCount() != 0;
    return anySet ? StatusLightDescription::kStateRed : StatusLightDescription::kStateGreen;
}
