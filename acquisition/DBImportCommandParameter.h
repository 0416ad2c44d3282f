#pragma once

#include <Command.h>

#include <QString>

// Starts a database-file import in an audiogroup controller (source type 0 or 1), or asks
// for its status (source type -1).
class DBImportCommandParameter : public CommandParameter
{
public:
    DBImportCommandParameter(int requestId, int sourceType, const QString &filePath);
    ~DBImportCommandParameter() override;

    int getRequestId() const { return m_requestId; }
    int getSourceType() const { return m_sourceType; }
    QString getFilePath() const { return m_filePath; }

private:
    int m_requestId;
    int m_sourceType;
    QString m_filePath;
};
