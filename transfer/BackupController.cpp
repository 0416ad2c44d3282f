#include "BackupController.h"

#include "ABackupManagerViewController.h"
#include "BackupDeleteRequestCommandParameter.h"
#include "KivDbBackupFileReader.h"

#include <ASystem.h>
#include <Command.h>
#include <KivUtils.h>
#include <ORQLogging.h>

#include <QMutexLocker>

#include <exception>

BackupController::BackupController(QObject *parent)
    : KivThread(parent), CommandQueue(kCapacity),
      m_reader(std::make_unique<KivDbBackupFileReader>(&m_model, &m_modelMutex))
{
}

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

ABackupManagerViewController *BackupController::viewController()
{
    ASystem *system = ASystem::instance();
    return system ? system->getBackupManagerViewController() : nullptr;
}

void BackupController::showAlert(const QString &text)
{
    if (ASystem *system = ASystem::instance())
        system->showAlert(text);
}

void BackupController::stop()
{
    if (ABackupManagerViewController *view = viewController()) {
        view->hideManager();
        view->stopUpdateTimer();
    }
    m_stop = true;
    m_waker.wake();
}

bool BackupController::isStopped() const
{
    return !isRunning() && !m_inLoop;
}

BackupModel BackupController::getModel() const
{
    QMutexLocker lock(&m_modelMutex);
    return m_model;
}

void BackupController::removeItems(const QList<BackupItem> &items)
{
    QMutexLocker lock(&m_modelMutex);
    m_model.removeItems(items);
}

bool BackupController::isListed(const BackupItem &item) const
{
    QMutexLocker lock(&m_modelMutex);
    const QList<BackupItem> items = m_model.getItems();
    for (const BackupItem &listed : items)
        if (listed.getName() == item.getName() && listed.getFilePath() == item.getFilePath())
            return true;
    return false;
}

void BackupController::loop()
{
    m_inLoop = true;
    KIV_LOG(4, "BackupController started loop\n");
    while (!m_stop) {
        step();
        // A scan in progress goes on at once: its files are read one per pass, with the
        // commands served in between.
        if (!m_reader->hasPendingFiles())
            m_waker.waitFor(kPassMs);
    }
    KIV_LOG(4, "BackupController ended loop\n");
    m_inLoop = false;
}

void BackupController::step()
{
    if (m_stop) {
        clearCommands();
        return;
    }
    try {
        processCommands();
        if (m_rescanRequested) {
            if (startScan() != 0)
                showAlert(QStringLiteral("An error has been encountered while scanning"));
            m_rescanRequested = false;
        }
        m_reader->readNextFile();
    } catch (const std::exception &e) {
        KIV_LOG(2, "BackupController handle all commands exception: %s\n", e.what());
    }
}

int BackupController::startScan()
{
    if (!m_reader)
        return -1;
    m_reader->reset();
    // An empty folder name would walk the working directory.
    if (m_backupFolder.isEmpty())
        return -1;
    return walkDirectory(m_backupFolder, m_reader.get());
}

int BackupController::handleCommand(Command *command)
{
    if (!command)
        return 0;
    const int type = command->getType();
    int result = 0;
    try {
        switch (type) {
        case CmdShowManager:
            if (ABackupManagerViewController *view = viewController())
                view->showManager();
            m_rescanRequested = true;
            break;
        case CmdRefresh:
            m_rescanRequested = true;
            break;
        case CmdDelete:
            result = deleteBackups(command);
            break;
        default:
            KIV_LOG(2, "Unknown command type %d in BackupController\n", type);
            break;
        }
        if (result != 0)
            KIV_LOG(2, "BackupController handle command[%d] fail\n", type);
    } catch (const std::exception &e) {
        KIV_LOG(2, "BackupController handle command[%d] exception: %s\n", type, e.what());
    }
    return result;
}

int BackupController::deleteBackups(Command *command)
{
    ABackupManagerViewController *view = viewController();
    int result = 0;
    const auto *request = command->parameterAs<BackupDeleteRequestCommandParameter>();
    if (!request) {
        result = -1;
    } else if (request->getItems().isEmpty()) {
        showAlert(QStringLiteral("Please select at least one audiogroup"));
        result = -2;
    } else {
        if (view)
            view->showPleaseWait(QStringLiteral("Deleting backup files. Please wait..."));
        const QList<BackupItem> items = request->getItems();
        QList<BackupItem> deleted;
        int errors = 0;
        for (const BackupItem &item : items) {
            // Only a file the scan listed, and only inside the backup folder as the file
            // system resolves it: a stale or forged record must not remove anything else.
            const bool allowed = isListed(item) && isInLogBackupFolder(item.getFilePath());
            const int removed = allowed ? m_deleteAction.execute(item.getFilePath()) : -1;
            if (removed == 0)
                deleted.append(item);
            errors |= removed;
        }
        removeItems(deleted);
        if (errors != 0) {
            showAlert(QStringLiteral("An error has been encountered while deleting backup files"));
            result = -3;
        }
    }
    if (view)
        view->hidePleaseWait();
    return result;
}
