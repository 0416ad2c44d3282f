#include "BackupController.h"

#include <ASystem.h>
#include <Command.h>
#include <KivUtils.h>
#include <ORQLogging.h>

BackupController::BackupController(QObject *parent) : KivThread(parent), CommandQueue(kCapacity) {}

BackupController::~BackupController() = default;

QString BackupController::commandQueueName() const
{
    return QStringLiteral("BackupController");
}

int BackupController::initBackupFolder()
{
    m_backupFolder = getLogBackupFolderPath();
    return 0;
}

void BackupController::stop()
{
    m_stop = true;
}

bool BackupController::isStopped() const
{
    return !isRunning() && !m_inLoop;
}

void BackupController::loop()
{
    m_inLoop = true;
    while (!m_stop) {
        processCommands();
        msleep(kPassMs);
    }
    m_inLoop = false;
}

int BackupController::handleCommand(Command *command)
{
    if (!command)
        return 0;
    switch (command->getType()) {
    case 0: // show the manager and rescan
    case 1: // rescan
    case 2: // delete
        return 0;
    default:
        KIV_LOG(2, "Unknown command type %d in BackupController\n", command->getType());
        return 0;
    }
}
