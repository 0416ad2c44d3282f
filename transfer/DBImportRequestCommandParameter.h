#pragma once

#include <Command.h>

#include <QString>

// A file to import; with the flag set the imported audiogroup's name gets the suffix.
class DBImportRequestCommandParameter : public CommandParameter
{
public:
    DBImportRequestCommandParameter(const QString &filePath, bool nameSuffixFlag,
                                    const QString &nameSuffix);
    ~DBImportRequestCommandParameter() override;

    QString getFilePath() const { return m_filePath; }
    bool getNameSuffixFlag() const { return m_nameSuffixFlag; }
    QString getNameSuffix() const { return m_nameSuffix; }

private:
    QString m_filePath;
    bool m_nameSuffixFlag;
    QString m_nameSuffix;
};
