#include "BackupManagerViewController.h"

#include "ABackupManagerView.h"

#include <ASystem.h>
#include <BackupController.h>
#include <GUIFactory.h>
#include <ORQLogging.h>

#include <QMutexLocker>

#include <exception>

BackupManagerViewController::BackupManagerViewController(QObject *parent) : QObject(parent) {}

BackupManagerViewController::~BackupManagerViewController()
{
    if (m_view)
        m_view->deleteLater();
}

int BackupManagerViewController::init()
{
    try {
        m_timer.init(kUpdateIntervalMs, this, &BackupManagerViewController::onUpdateTimer);
        m_view = GUIFactory::getInstance()->createViewAs<ABackupManagerView>(
            kViewTypeBackupManager);
    } catch (const std::exception &e) {
        KIV_LOG(2, "BackupManagerViewController: init failed: %s\n", e.what());
        return -1;
    }
    if (!m_view) {
        KIV_LOG(2, "BackupManagerViewController: no backup manager window\n");
        return -1;
    }
    connectView();
    return 0;
}

void BackupManagerViewController::connectView()
{
    using Self = BackupManagerViewController;
    connect(this, &Self::show, m_view, &AView::onShow, Qt::QueuedConnection);
    connect(this, &Self::hide, m_view, &AView::onHide, Qt::QueuedConnection);
    connect(this, &Self::showPleaseWaitDialog, m_view,
            &ABackupManagerView::onShowPleaseWaitDialog, Qt::QueuedConnection);
    connect(this, &Self::hidePleaseWaitDialog, m_view,
            &ABackupManagerView::onHidePleaseWaitDialog, Qt::QueuedConnection);
    connect(this, &Self::dataReceived, m_view, &ABackupManagerView::onUpdateGUI,
            Qt::QueuedConnection);

    connect(m_view, &AView::viewHide, this, &Self::onHideBackupManagerView, Qt::DirectConnection);
    connect(m_view, &ABackupManagerView::backupManagerImport, this, &Self::onBackupManagerImport,
            Qt::DirectConnection);
    connect(m_view, &ABackupManagerView::backupManagerRefresh, this,
            &Self::onBackupManagerRefresh, Qt::DirectConnection);
    connect(m_view, &ABackupManagerView::backupManagerDelete, this, &Self::onBackupManagerDelete,
            Qt::DirectConnection);
}

bool BackupManagerViewController::isVisible() const
{
    QMutexLocker lock(&m_mutex);
    return m_visible;
}

void BackupManagerViewController::showManager()
{
    QMutexLocker lock(&m_mutex);
    m_visible = true;
    m_timer.start();
    emit show();
}

void BackupManagerViewController::hideManager()
{
    QMutexLocker lock(&m_mutex);
    m_visible = false;
    // Opened again, the window gets the whole list, also when it did not change.
    m_model.clear();
    m_timer.stop();
    emit hide();
}

void BackupManagerViewController::stopUpdateTimer()
{
    // Not under the mutex: the timer's slot takes it on the GUI thread, which this waits for.
    m_timer.stopAndWait();
}

void BackupManagerViewController::showPleaseWait(const QString &text)
{
    emit showPleaseWaitDialog(text);
}

void BackupManagerViewController::hidePleaseWait()
{
    emit hidePleaseWaitDialog();
}

void BackupManagerViewController::onUpdateTimer()
{
    QMutexLocker lock(&m_mutex);
    if (!m_visible) {
        m_timer.stop();
        return;
    }
    ASystem *system = ASystem::instance();
    BackupController *controller = system ? system->getBackupController() : nullptr;
    if (!controller)
        return;
    const BackupModel current = controller->getModel();
    if (!current.hasSameItems(m_model)) {
        m_model = current;
        emit dataReceived(current);
    }
}

void BackupManagerViewController::onBackupManagerImport(const QList<BackupItem> &items)
{
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    if (items.isEmpty()) {
        system->showAlert(QStringLiteral("Please select at least one audiogroup"));
        return;
    }
    if (items.size() > 1) {
        system->showAlert(QStringLiteral("Too many audiogroups selected"));
        return;
    }
    const BackupItem &item = items.first();
    system->requestDbImport(item.getFilePath(), true, QString::number(item.getProgramId()));
}

void BackupManagerViewController::onBackupManagerRefresh()
{
    if (ASystem *system = ASystem::instance())
        system->refreshBackups();
}

void BackupManagerViewController::onBackupManagerDelete(const QList<BackupItem> &items)
{
    if (ASystem *system = ASystem::instance())
        system->deleteBackups(items);
}

void BackupManagerViewController::onHideBackupManagerView()
{
    hideManager();
}
