#include "KIVTableViewModel.h"

#include <KivUtils.h>

KIVTableViewModel::KIVTableViewModel(QObject *parent) : QSqlQueryModel(parent) {}

KIVTableViewModel::~KIVTableViewModel() = default;

QVariant KIVTableViewModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return QSqlQueryModel::data(index, role);
    const QVariant value = QSqlQueryModel::data(index, role);
    if (index.column() == 0) {
        const QVariant timecode = QSqlQueryModel::data(index.siblingAtColumn(1), role);
        return formatTimestampWithTimecode(value.toLongLong(), timecode.toLongLong());
    }
    // The meters send values far below any audible level for "no signal".
    if (value.userType() == QMetaType::Double && value.toDouble() < -100.0)
        return QStringLiteral("---");
    return value;
}
