#include "BackupItem.h"

BackupItem::BackupItem() : QObject(nullptr) {}

BackupItem::BackupItem(const BackupItem &other)
    : QObject(nullptr), m_name(other.m_name), m_programId(other.m_programId),
      m_filePath(other.m_filePath), m_creationTime(other.m_creationTime),
      m_instrumentConfig(other.m_instrumentConfig), m_agConfig(other.m_agConfig),
      m_startTime(other.m_startTime), m_endTime(other.m_endTime)
{
}

BackupItem &BackupItem::operator=(const BackupItem &other)
{
    if (this != &other) {
        m_name = other.m_name;
        m_programId = other.m_programId;
        m_filePath = other.m_filePath;
        m_creationTime = other.m_creationTime;
        m_instrumentConfig = other.m_instrumentConfig;
        m_agConfig = other.m_agConfig;
        m_startTime = other.m_startTime;
        m_endTime = other.m_endTime;
    }
    return *this;
}

BackupItem::~BackupItem() = default;

uint qHash(const BackupItem &item, uint seed)
{
    return qHash(QString::number(item.getProgramId()), seed);
}
