#pragma once

#include "AConfigValidator.h"

#include <QList>
#include <QString>

class AgConfig;
class AlertContactConfig;
class InstrumentConfig;
class SMTPConfig;
class SystemConfig;

// One audiogroup's thresholds and counts. Threshold values lie in -18.0..9.0 (NaN is
// invalid), counts in 1..99; the secondary set lies inside the main one.
class AgConfigValidator : public AConfigValidator
{
public:
    void setConfig(AgConfig *config) { m_config = config; }
    bool validate(QString &message, bool fix) override;

    static bool isThresholdValueValid(double value);
    static bool isCountValid(int count);
    QString checkThresholds() const;
    QString checkCounts() const;
    // Both return true when nothing was changed.
    bool fixThresholds();
    bool fixCounts();

private:
    AgConfig *m_config = nullptr;
};

// An instrument's address and port (unchecked when all its audiogroups are imported)
// and each of its audiogroups.
class InstrumentConfigValidator : public AConfigValidator
{
public:
    void setConfig(InstrumentConfig *config) { m_config = config; }
    bool validate(QString &message, bool fix) override;

    bool isIpValid(bool fix);
    bool isPortValid(bool fix);
    // What an invalid address is repaired to.
    static QString defaultIpAdr();

private:
    // Logs a value refused on repair and marks the instrument as not logging.
    void refuse(const char *field, const QString &value, const char *allowed);

    InstrumentConfig *m_config = nullptr;
    AgConfigValidator m_agValidator;
};

class SMTPConfigValidator : public AConfigValidator
{
public:
    void setConfig(SMTPConfig *config) { m_config = config; }
    bool validate(QString &message, bool fix) override;

private:
    SMTPConfig *m_config = nullptr;
};

// The whole text must match, ignoring case, \b[A-Z0-9._%+-]+@[A-Z0-9.-]+\.[A-Z]{2,4}\b.
bool isValidEmailAddress(const QString &address);

class AlertContactConfigValidator : public AConfigValidator
{
public:
    void setConfig(AlertContactConfig *config) { m_config = config; }
    // fix is not used.
    bool validate(QString &message, bool fix) override;

private:
    AlertContactConfig *m_config = nullptr;
};

class AlertContactConfigListValidator : public AConfigValidator
{
public:
    void setConfig(QList<AlertContactConfig> *config) { m_config = config; }
    // fix is not used.
    bool validate(QString &message, bool fix) override;

private:
    QList<AlertContactConfig> *m_config = nullptr;
    AlertContactConfigValidator m_contactValidator;
};

// The system ranges, every instrument and, when alerts are enabled, the SMTP settings
// and the contacts.
class SystemConfigValidator : public AConfigValidator
{
public:
    void setConfig(SystemConfig *config) { m_config = config; }
    bool validate(QString &message, bool fix) override;

private:
    SystemConfig *m_config = nullptr;
    InstrumentConfigValidator m_instrumentValidator;
    AlertContactConfigListValidator m_contactListValidator;
    SMTPConfigValidator m_smtpValidator;
};
