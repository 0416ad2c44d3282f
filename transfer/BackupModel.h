#pragma once

#include "BackupItem.h"

#include <QList>
#include <QMetaType>
#include <QObject>

// The backups found, in ascending name order. A QObject used as a value; it travels to the
// window in a queued signal, so it is a registered meta type.
class BackupModel : public QObject
{
    Q_OBJECT
public:
    BackupModel();
    BackupModel(const BackupModel &other);
    BackupModel &operator=(const BackupModel &other);
    ~BackupModel() override;

    int getItemCount() const { return m_items.size(); }
    // 0 and the record of the row in out; -1 (out unchanged) for a row outside the list.
    int getItem(int row, BackupItem &out) const;
    QList<BackupItem> getItems() const { return m_items; }
    // Replaces the list, in the given order.
    void setItems(const QList<BackupItem> &items) { m_items = items; }
    void clear() { m_items.clear(); }

    // After every record of the same or a smaller name; equal names are not refused.
    void insertSorted(const BackupItem &item);
    // Takes out the records of the given files (name and file path); records of the same
    // name found in other files stay, since those files are still there. Always 0.
    int removeItems(const QList<BackupItem> &gone);
    // The same files under the same names; other fields of a record do not count.
    bool hasSameItems(const BackupModel &other) const;

private:
    QList<BackupItem> m_items;
};

Q_DECLARE_METATYPE(BackupModel)
