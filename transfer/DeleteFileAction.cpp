#include "DeleteFileAction.h"

#include <QFile>

DeleteFileAction::DeleteFileAction() = default;

DeleteFileAction::~DeleteFileAction() = default;

int DeleteFileAction::execute(const QString &absoluteFilePath)
{
    return QFile::remove(absoluteFilePath) ? 0 : -1;
}
