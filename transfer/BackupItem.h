#pragma once

#include <QObject>
#include <QString>

// One backup database file under "log_backup". A QObject used as a value: copies take
// every field but not the parent.
class BackupItem : public QObject
{
    Q_OBJECT
public:
    BackupItem();
    BackupItem(const BackupItem &other);
    BackupItem &operator=(const BackupItem &other);
    ~BackupItem() override;

    QString getName() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QString getFilePath() const { return m_filePath; }
    void setFilePath(const QString &path) { m_filePath = path; }

private:
    QString m_name;
    QString m_filePath;
};
