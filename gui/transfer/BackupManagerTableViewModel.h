#pragma once

#include <BackupModel.h>

#include <QAbstractTableModel>

// The rows of the backup manager: one backup a row, in the list's order (by name), with its
// device, audiogroup, program id and three times in UTC.
class BackupManagerTableViewModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        ColumnDevice,
        ColumnAudiogroup,
        ColumnProgramId,
        ColumnStartTime,
        ColumnEndTime,
        ColumnCreationTime,
        ColumnCount
    };

    explicit BackupManagerTableViewModel(QObject *parent = nullptr);
    ~BackupManagerTableViewModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Replaces every row (the views reload).
    void setBackupModel(const BackupModel &model);
    QList<BackupItem> getItems() const { return m_model.getItems(); }
    // 0 and the record of the row, or -1.
    int getItem(int row, BackupItem &out) const { return m_model.getItem(row, out); }

private:
    BackupModel m_model;
};
