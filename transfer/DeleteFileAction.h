#pragma once

#include <AFileAction.h>

// Removes the file at the path it is given.
class DeleteFileAction : public AFileAction
{
public:
    DeleteFileAction();
    ~DeleteFileAction() override;

    // 0 when the file was removed, -1 otherwise.
    int execute(const QString &absoluteFilePath) override;
    void reset() override {}
};
