#include "DbVersion.h"

#include <QStringList>

#include <exception>

DbVersion::DbVersion(unsigned int major, unsigned int minor) : m_major(major), m_minor(minor) {}

DbVersion::DbVersion(const QString &text)
{
    try {
        const QStringList parts = text.split(QLatin1Char('.'), Qt::KeepEmptyParts);
        if (parts.size() != 2)
            return;
        bool majorOk = false;
        bool minorOk = false;
        const unsigned int major = parts.at(0).toUInt(&majorOk, 10);
        const unsigned int minor = parts.at(1).toUInt(&minorOk, 10);
        if (majorOk && minorOk) {
            m_major = major;
            m_minor = minor;
        }
    } catch (const std::exception &) {
        m_major = 1;
        m_minor = 0;
    }
}

DbVersion::~DbVersion() = default;

bool DbVersion::operator<(const DbVersion &other) const
{
    if (m_major != other.m_major)
        return m_major < other.m_major;
    return m_minor < other.m_minor;
}
