#include "BackupItem.h"

BackupItem::BackupItem() : QObject(nullptr) {}

BackupItem::BackupItem(const BackupItem &other)
    : QObject(nullptr), m_name(other.m_name), m_filePath(other.m_filePath)
{
}

BackupItem &BackupItem::operator=(const BackupItem &other)
{
    if (this != &other) {
        m_name = other.m_name;
        m_filePath = other.m_filePath;
    }
    return *this;
}

BackupItem::~BackupItem() = default;
