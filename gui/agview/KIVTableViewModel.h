#pragma once

#include <QSqlQueryModel>

// The table view's rows of a zoom-level table: centred cells, the time column as date, time
// and time code, and "---" for loudness values below -100.
class KIVTableViewModel : public QSqlQueryModel
{
    Q_OBJECT
public:
    explicit KIVTableViewModel(QObject *parent = nullptr);
    ~KIVTableViewModel() override;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
};
