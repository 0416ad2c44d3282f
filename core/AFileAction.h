#pragma once

#include <QString>

// Visitor of walkDirectory: receives the absolute path of every file found.
class AFileAction
{
public:
    virtual ~AFileAction() = default;
    virtual int execute(const QString &absoluteFilePath) = 0;
    virtual void reset() = 0;
};
