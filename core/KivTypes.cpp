#include "KivTypes.h"

QString requestCommandName(int type)
{
    switch (type) {
    case ARequestTypes::LOGIN: return QStringLiteral("LOGIN");
    case ARequestTypes::GETCONFIG: return QStringLiteral("GETCONFIG");
    case ARequestTypes::GETDATA: return QStringLiteral("GETDATA");
    default: return QString();
    }
}

QString requestCommandPath(int type)
{
    switch (type) {
    case ARequestTypes::LOGIN: return QStringLiteral("/login");
    case ARequestTypes::GETCONFIG: return QStringLiteral("/getConfiguration");
    case ARequestTypes::GETDATA: return QStringLiteral("/getData");
    default: return QString();
    }
}

QString violationTypeToString(int type)
{
    return type == ViolationTypeViolation ? QStringLiteral("Violation") : QStringLiteral("Unknown");
}

QString priorityToString(int priority)
{
    switch (priority) {
    case PriorityLow: return QStringLiteral("Low");
    case PriorityNormal: return QStringLiteral("Normal");
    case PriorityHigh: return QStringLiteral("High");
    default: return QStringLiteral("Unknown");
    }
}

QString entityTypeToString(int type)
{
    return type == EntityTypeAudiogroup ? QStringLiteral("Audiogroup") : QStringLiteral("Unknown");
}

QString smtpConnectionTypeToString(int type)
{
    switch (type) {
    case SmtpConnectionTCP: return QStringLiteral("TCP");
    case SmtpConnectionSSL: return QStringLiteral("SSL");
    default: return QStringLiteral("Unknown");
    }
}

int smtpConnectionTypeFromString(const QString &text)
{
    if (text == QLatin1String("TCP"))
        return SmtpConnectionTCP;
    if (text == QLatin1String("SSL"))
        return SmtpConnectionSSL;
    return SmtpConnectionUnknown;
}
