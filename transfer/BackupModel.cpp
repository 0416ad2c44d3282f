#include "BackupModel.h"

#include <QSet>

#include <algorithm>

namespace {

// Names may repeat (a backup copied into a sub-folder); the file tells them apart.
using FileKey = QPair<QString, QString>;

FileKey fileKey(const BackupItem &item)
{
    return qMakePair(item.getName(), item.getFilePath());
}

QList<FileKey> sortedKeys(const QList<BackupItem> &items)
{
    QList<FileKey> keys;
    keys.reserve(items.size());
    for (const BackupItem &item : items)
        keys.append(fileKey(item));
    std::sort(keys.begin(), keys.end());
    return keys;
}

} // namespace

BackupModel::BackupModel() : QObject(nullptr) {}

BackupModel::BackupModel(const BackupModel &other) : QObject(nullptr), m_items(other.m_items) {}

BackupModel &BackupModel::operator=(const BackupModel &other)
{
    if (this != &other)
        m_items = other.m_items;
    return *this;
}

BackupModel::~BackupModel() = default;

int BackupModel::getItem(int row, BackupItem &out) const
{
    if (row < 0 || row >= m_items.size())
        return -1;
    out = m_items.at(row);
    return 0;
}

void BackupModel::insertSorted(const BackupItem &item)
{
    const auto at = std::upper_bound(m_items.begin(), m_items.end(), item);
    m_items.insert(at, item);
}

int BackupModel::removeItems(const QList<BackupItem> &gone)
{
    QSet<FileKey> goneKeys;
    for (const BackupItem &item : gone)
        goneKeys.insert(fileKey(item));
    QList<BackupItem> kept;
    for (const BackupItem &item : qAsConst(m_items))
        if (!goneKeys.contains(fileKey(item)))
            kept.append(item);
    m_items = kept;
    return 0;
}

bool BackupModel::hasSameItems(const BackupModel &other) const
{
    return m_items.size() == other.m_items.size() &&
           sortedKeys(m_items) == sortedKeys(other.m_items);
}
