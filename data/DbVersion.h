#pragma once

#include <QString>

// A database format version "major.minor"; anything else reads as 1.0.
class DbVersion
{
public:
    DbVersion() = default;
    DbVersion(unsigned int major, unsigned int minor);
    explicit DbVersion(const QString &text);
    DbVersion(const DbVersion &other) = default;
    DbVersion &operator=(const DbVersion &other) = default;
    virtual ~DbVersion();

    unsigned int getMajor() const { return m_major; }
    unsigned int getMinor() const { return m_minor; }
    bool operator<(const DbVersion &other) const;

private:
    unsigned int m_major = 1;
    unsigned int m_minor = 0;
};
