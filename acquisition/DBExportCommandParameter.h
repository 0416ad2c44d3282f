#pragma once

#include <Command.h>

#include <QString>

// The file an audiogroup's database is exported to.
class DBExportCommandParameter : public CommandParameter
{
public:
    explicit DBExportCommandParameter(const QString &targetPath);
    ~DBExportCommandParameter() override;

    QString getTargetPath() const { return m_targetPath; }

private:
    QString m_targetPath;
};
