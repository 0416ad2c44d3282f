#include "ConfigValidators.h"

#include "SystemConfig.h"

#include <ORQLogging.h>

#include <QRegExp>
#include <QSet>
#include <QUrl>

AConfigValidator::~AConfigValidator() = default;

// ---------------------------------------------------------------- audiogroup

bool AgConfigValidator::isThresholdValueValid(double value)
{
    // Written so that NaN fails as well.
    return value >= -18.0 && value <= 9.0;
}

bool AgConfigValidator::isCountValid(int count) { return count >= 1 && count <= 99; }

QString AgConfigValidator::checkThresholds() const
{
    const AgConfig &c = *m_config;
    const auto ok = &AgConfigValidator::isThresholdValueValid;
    if (!c.getMainThresholdActiveState() && !c.getSecondaryThresholdActiveState())
        return QStringLiteral("At least one threshold must be active");
    if (!ok(c.getIUpperThreshold()) || !ok(c.getIUpperSecondaryThreshold()) ||
        c.getIUpperSecondaryThreshold() > c.getIUpperThreshold())
        return QStringLiteral("Invalid Loudness Upper threshold value");
    if (!ok(c.getILowerSecondaryThreshold()) || !ok(c.getILowerThreshold()) ||
        c.getILowerSecondaryThreshold() < c.getILowerThreshold())
        return QStringLiteral("Invalid Loudness Lower threshold value");
    if (c.getILowerThreshold() > c.getIUpperThreshold() ||
        c.getILowerSecondaryThreshold() > c.getIUpperSecondaryThreshold())
        return QStringLiteral("Upper threshold must be greather than the Lower");
    if (!ok(c.getMUpperThreshold()) || !ok(c.getMUpperSecondaryThreshold()) ||
        c.getMUpperSecondaryThreshold() > c.getMUpperThreshold())
        return QStringLiteral("Invalid Momentary threshold value");
    if (!ok(c.getSUpperThreshold()) || !ok(c.getSUpperSecondaryThreshold()) ||
        c.getSUpperSecondaryThreshold() > c.getSUpperThreshold())
        return QStringLiteral("Invalid Short threshold value");
    if (!ok(c.getTPUpperThreshold()) || !ok(c.getTPUpperSecondaryThreshold()) ||
        c.getTPUpperSecondaryThreshold() > c.getTPUpperThreshold())
        return QStringLiteral("Invalid TruePeak value");
    return QString();
}

QString AgConfigValidator::checkCounts() const
{
    const AgConfig &c = *m_config;
    const int counts[] = {c.getIUpperCountMainThreshold(),  c.getIUpperCountSecondaryThreshold(),
                          c.getILowerCountMainThreshold(),  c.getILowerCountSecondaryThreshold(),
                          c.getMCountMainThreshold(),       c.getMCountSecondaryThreshold(),
                          c.getSCountMainThreshold(),       c.getSCountSecondaryThreshold(),
                          c.getTPCountMainThreshold(),      c.getTPCountSecondaryThreshold()};
    for (int count : counts)
        if (!isCountValid(count))
            return QStringLiteral("Invalid threshold count");
    return QString();
}

bool AgConfigValidator::fixThresholds()
{
    AgConfig &c = *m_config;
    const auto ok = &AgConfigValidator::isThresholdValueValid;
    // The I checks look at the values as found, before any repair below.
    const double iUpper = c.getIUpperThreshold();
    const double iUpperSec = c.getIUpperSecondaryThreshold();
    const double iLower = c.getILowerThreshold();
    const double iLowerSec = c.getILowerSecondaryThreshold();
    bool unchanged = true;

    if (!c.getMainThresholdActiveState() && !c.getSecondaryThresholdActiveState()) {
        c.setMainThresholdActiveState(true);
        unchanged = false;
    }
    if (!ok(iUpper) || !ok(iUpperSec) || iUpperSec > iUpper) {
        c.setIUpperThreshold(1.0);
        c.setIUpperSecondaryThreshold(1.0);
        unchanged = false;
    }
    if (!ok(iLowerSec) || !ok(iLower) || iLowerSec < iLower) {
        c.setILowerThreshold(-1.0);
        c.setILowerSecondaryThreshold(-1.0);
        unchanged = false;
    }
    if (!ok(iUpper) || !ok(iLower) || iLower > iUpper) {
        c.setIUpperThreshold(1.0);
        c.setILowerThreshold(-1.0);
        unchanged = false;
    }
    if (!ok(iUpperSec) || !ok(iLowerSec) || iLowerSec > iUpperSec) {
        c.setIUpperSecondaryThreshold(1.0);
        c.setILowerSecondaryThreshold(-1.0);
        unchanged = false;
    }
    if (!ok(c.getMUpperThreshold()) || !ok(c.getMUpperSecondaryThreshold()) ||
        c.getMUpperSecondaryThreshold() > c.getMUpperThreshold()) {
        c.setMUpperThreshold(8.0);
        c.setMUpperSecondaryThreshold(8.0);
        unchanged = false;
    }
    if (!ok(c.getSUpperThreshold()) || !ok(c.getSUpperSecondaryThreshold()) ||
        c.getSUpperSecondaryThreshold() > c.getSUpperThreshold()) {
        c.setSUpperThreshold(3.0);
        c.setSUpperSecondaryThreshold(3.0);
        unchanged = false;
    }
    if (!ok(c.getTPUpperThreshold()) || !ok(c.getTPUpperSecondaryThreshold()) ||
        c.getTPUpperSecondaryThreshold() > c.getTPUpperThreshold()) {
        c.setTPUpperThreshold(-3.0);
        c.setTPUpperSecondaryThreshold(-3.0);
        unchanged = false;
    }
    return unchanged;
}

bool AgConfigValidator::fixCounts()
{
    AgConfig &c = *m_config;
    bool unchanged = true;
    auto fix = [&unchanged](int value, auto setter) {
        if (!isCountValid(value)) {
            setter(1);
            unchanged = false;
        }
    };
    fix(c.getIUpperCountMainThreshold(), [&c](int v) { c.setIUpperCountMainThreshold(v); });
    fix(c.getIUpperCountSecondaryThreshold(), [&c](int v) { c.setIUpperCountSecondaryThreshold(v); });
    fix(c.getILowerCountMainThreshold(), [&c](int v) { c.setILowerCountMainThreshold(v); });
    fix(c.getILowerCountSecondaryThreshold(), [&c](int v) { c.setILowerCountSecondaryThreshold(v); });
    fix(c.getMCountMainThreshold(), [&c](int v) { c.setMCountMainThreshold(v); });
    fix(c.getMCountSecondaryThreshold(), [&c](int v) { c.setMCountSecondaryThreshold(v); });
    fix(c.getSCountMainThreshold(), [&c](int v) { c.setSCountMainThreshold(v); });
    fix(c.getSCountSecondaryThreshold(), [&c](int v) { c.setSCountSecondaryThreshold(v); });
    fix(c.getTPCountMainThreshold(), [&c](int v) { c.setTPCountMainThreshold(v); });
    fix(c.getTPCountSecondaryThreshold(), [&c](int v) { c.setTPCountSecondaryThreshold(v); });
    return unchanged;
}

bool AgConfigValidator::validate(QString &message, bool fix)
{
    if (!m_config)
        return false;
    if (!fix) {
        message = checkThresholds();
        if (!message.isEmpty())
            return false;
        message = checkCounts();
        return message.isEmpty();
    }
    const bool thresholdsUnchanged = fixThresholds();
    const bool countsUnchanged = fixCounts();
    message.clear();
    return thresholdsUnchanged && countsUnchanged;
}

// ---------------------------------------------------------------- instrument

QString InstrumentConfigValidator::defaultIpAdr() { return QStringLiteral("http://localhost"); }

void InstrumentConfigValidator::refuse(const char *field, const QString &value, const char *allowed)
{
    const QString text = QStringLiteral("%1 \"%2\" refused (allowed: %3)")
                             .arg(QLatin1String(field), value, QLatin1String(allowed));
    KIV_LOG(2,
            "Configuration of instrument %s: %s; it does not log until its settings are "
            "saved with a valid value\n",
            qUtf8Printable(m_config->getName()), qUtf8Printable(text));
    const QString earlier = m_config->getRefusedAtLoad();
    m_config->setRefusedAtLoad(earlier.isEmpty() ? text : earlier + QStringLiteral("; ") + text);
    m_config->keepRefusedValue(QLatin1String(field), value);
}

bool InstrumentConfigValidator::isIpValid(bool fix)
{
    if (m_config->areAllAgConfigsImported())
        return true;
    const QString ip = m_config->getIpAdr();
    const QUrl url(ip);
    if (!ip.isEmpty() && url.isValid() && url.port() == -1)
        return true;
    if (fix) {
        refuse("IpAdr", ip, "an address without a port, as http://192.168.0.10");
        m_config->setIpAdr(defaultIpAdr());
    }
    return false;
}

bool InstrumentConfigValidator::isPortValid(bool fix)
{
    if (m_config->areAllAgConfigsImported())
        return true;
    bool ok = false;
    const int port = m_config->getPort().toInt(&ok, 10);
    // Port 0 names no port: nothing listens there, no connection could be made.
    if (ok && port >= 1 && port <= 49151)
        return true;
    if (fix) {
        refuse("Port", m_config->getPort(), "a whole number from 1 to 49151");
        m_config->setPort(QStringLiteral("80"));
    }
    return false;
}

bool InstrumentConfigValidator::validate(QString &message, bool fix)
{
    if (!m_config)
        return false;
    const bool ipValid = isIpValid(fix);
    const bool portValid = isPortValid(fix);
    bool result = ipValid && portValid;
    if (!result && !fix) {
        message = QStringLiteral("Invalid ip address or port");
        return false;
    }
    const QList<AgConfig> agConfigs = m_config->getAgConfigs();
    for (const AgConfig &agConfig : agConfigs) {
        AgConfig copy(agConfig);
        QString agMessage;
        m_agValidator.setConfig(&copy);
        if (m_agValidator.validate(agMessage, fix))
            continue;
        result = false;
        if (!fix) {
            message = QStringLiteral("Error\nInstrument: %1. %2 in AudioGroup: %3")
                          .arg(m_config->getName(), agMessage, copy.getName());
            return false;
        }
        m_config->removeAgConfig(copy.getName());
        m_config->setAgConfig(copy);
    }
    return result;
}

// ---------------------------------------------------------------- SMTP and contacts

bool isValidEmailAddress(const QString &address)
{
    QRegExp pattern(QStringLiteral("\\b[A-Z0-9._%+-]+@[A-Z0-9.-]+\\.[A-Z]{2,4}\\b"),
                    Qt::CaseInsensitive);
    return pattern.exactMatch(address);
}

bool SMTPConfigValidator::validate(QString &message, bool fix)
{
    if (!m_config)
        return false;
    message = QStringLiteral("Invalid fields in SMTP section.");
    const QString type = m_config->getConnectionType();
    if (type != QLatin1String("TCP") && type != QLatin1String("SSL")) {
        message = QStringLiteral("Unknown connection type.");
        return false;
    }
    if (m_config->getHost().isEmpty())
        return false;
    bool repaired = false;
    if (m_config->getPort() < 0 || m_config->getPort() > 65535) {
        if (!fix) {
            message = QStringLiteral("Invalid SMTP port.");
            return false;
        }
        message.clear();
        m_config->setPort(465);
        repaired = true;
    }
    if (!isValidEmailAddress(m_config->getSenderEmailAddress())) {
        message = QStringLiteral("Invalid sender email address.");
        return false;
    }
    message.clear();
    // A repaired port still means the settings were not valid as found.
    return !repaired;
}

bool AlertContactConfigValidator::validate(QString &message, bool)
{
    message.clear();
    if (!m_config)
        return false;
    if (m_config->getName().isEmpty()) {
        message = QStringLiteral("First name and last name are mandatory fields !");
        return false;
    }
    if (!isValidEmailAddress(m_config->getEmail())) {
        message = QStringLiteral("Invalid E-mail address !");
        return false;
    }
    return true;
}

bool AlertContactConfigListValidator::validate(QString &message, bool)
{
    if (!m_config)
        return false;
    const QList<AlertContactConfig> &contacts = *m_config;
    QSet<QString> seen;
    for (const AlertContactConfig &contact : contacts) {
        if (seen.contains(contact.getName())) {
            message = QStringLiteral("Duplicate alert contact name");
            return false;
        }
        seen.insert(contact.getName());
    }
    for (const AlertContactConfig &contact : contacts) {
        AlertContactConfig copy(contact);
        QString contactMessage;
        m_contactValidator.setConfig(&copy);
        if (!m_contactValidator.validate(contactMessage, false)) {
            message = QStringLiteral("Error in Alert Contact Config: %1").arg(contactMessage);
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------- system

namespace {
struct SystemRange {
    int (SystemConfig::*get)() const;
    void (SystemConfig::*set)(int);
    int min;
    int max;
    int repair;
};
} // namespace

bool SystemConfigValidator::validate(QString &message, bool fix)
{
    if (!m_config)
        return false;
    SystemConfig &config = *m_config;
    static const SystemRange ranges[] = {
        {&SystemConfig::getAcquisitionTimeout, &SystemConfig::setAcquisitionTimeout, 2000, 4000, 3000},
        {&SystemConfig::getBackupCheckTimeout, &SystemConfig::setBackupCheckTimeout, 1000, 21600000,
         500000},
        {&SystemConfig::getPlotLiveModeBuffer, &SystemConfig::setPlotLiveModeBuffer, 0, 15000, 2000},
        {&SystemConfig::getNetworkRequestTimeout, &SystemConfig::setNetworkRequestTimeout, 10000,
         300000, 30000},
    };
    bool valid = true;
    for (const SystemRange &range : ranges) {
        const int value = (config.*range.get)();
        if (value >= range.min && value <= range.max)
            continue;
        valid = false;
        if (fix)
            (config.*range.set)(range.repair);
    }
    if (!valid && !fix) {
        message = QStringLiteral("Invalid System settings");
        return false;
    }

    QList<InstrumentConfig> instruments = config.getInstruments();
    bool instrumentsValid = true;
    for (InstrumentConfig &instrument : instruments) {
        m_instrumentValidator.setConfig(&instrument);
        if (m_instrumentValidator.validate(message, fix))
            continue;
        instrumentsValid = false;
        if (!fix)
            return false;
    }
    if (!instrumentsValid) {
        valid = false;
        config.setInstruments(instruments);
    }

    if (config.getAlertsEnabled()) {
        SMTPConfig smtp = config.getSMTPConfig();
        m_smtpValidator.setConfig(&smtp);
        if (!m_smtpValidator.validate(message, fix)) {
            valid = false;
            if (!fix)
                return false;
        }
        config.setSMTPConfig(smtp);

        QList<AlertContactConfig> contacts = config.getAlertContacts();
        m_contactListValidator.setConfig(&contacts);
        if (!m_contactListValidator.validate(message, false)) {
            valid = false;
            if (!fix)
                return false;
        }
    }
    if (valid)
        message.clear();
    return valid;
}
