#pragma once

#include "BackupItem.h"

#include <Command.h>

#include <QList>

// The backups the user chose to delete.
class BackupDeleteRequestCommandParameter : public CommandParameter
{
public:
    explicit BackupDeleteRequestCommandParameter(const QList<BackupItem> &items);
    ~BackupDeleteRequestCommandParameter() override;

    QList<BackupItem> getItems() const { return m_items; }

private:
    QList<BackupItem> m_items;
};
