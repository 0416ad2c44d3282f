#include "BackupDeleteRequestCommandParameter.h"

BackupDeleteRequestCommandParameter::BackupDeleteRequestCommandParameter(
    const QList<BackupItem> &items)
{
    // Record by record, so the payload shares nothing with the sender's list.
    for (const BackupItem &item : items)
        m_items.append(item);
}

BackupDeleteRequestCommandParameter::~BackupDeleteRequestCommandParameter() = default;
