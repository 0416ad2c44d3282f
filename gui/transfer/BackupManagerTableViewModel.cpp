#include "BackupManagerTableViewModel.h"

#include <KivUtils.h>

namespace {

QString dateAndTime(const QString &date, const QString &time)
{
    return QStringLiteral("%1 %2").arg(date, time);
}

QString msText(qint64 utcMs)
{
    QString date;
    QString time;
    msToDateTimeStrings(utcMs, date, time);
    return dateAndTime(date, time);
}

QString dateTimeText(const QDateTime &dateTime)
{
    QString date;
    QString time;
    dateTimeToStrings(dateTime, date, time);
    return dateAndTime(date, time);
}

} // namespace

BackupManagerTableViewModel::BackupManagerTableViewModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

BackupManagerTableViewModel::~BackupManagerTableViewModel() = default;

int BackupManagerTableViewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_model.getItemCount();
}

int BackupManagerTableViewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BackupManagerTableViewModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    BackupItem item;
    if (m_model.getItem(index.row(), item) != 0)
        return QVariant();
    switch (index.column()) {
    case ColumnDevice:
        return item.getInstrumentConfig().getName();
    case ColumnAudiogroup:
        return item.getAgConfig().getName();
    case ColumnProgramId:
        return QString::number(item.getProgramId());
    case ColumnStartTime:
        return msText(item.getStartTime());
    case ColumnEndTime:
        return msText(item.getEndTime());
    case ColumnCreationTime:
        return dateTimeText(item.getCreationTime());
    default:
        return QVariant();
    }
}

QVariant BackupManagerTableViewModel::headerData(int section, Qt::Orientation orientation,
                                                 int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case ColumnDevice:
        return tr("Device");
    case ColumnAudiogroup:
        return tr("Audiogroup");
    case ColumnProgramId:
        return tr("Program ID");
    case ColumnStartTime:
        return tr("Start Time");
    case ColumnEndTime:
        return tr("End Time");
    case ColumnCreationTime:
        return tr("Creation Time");
    default:
        return QVariant();
    }
}

void BackupManagerTableViewModel::setBackupModel(const BackupModel &model)
{
    beginResetModel();
    m_model.clear();
    m_model.setItems(model.getItems());
    endResetModel();
}
