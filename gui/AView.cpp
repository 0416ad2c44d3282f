#include "AView.h"

#include "FileDialogs.h"
#include "WindowPlacement.h"

#include <ASystem.h>
#include <KivConstants.h>
#include <KivResources.h>
#include <KivUtils.h>
#include <ORQLogging.h>
#include <SystemConfig.h>

#include <QCloseEvent>
#include <QIcon>

AView::AView(ViewType type, QWidget *parent) : QWidget(parent), m_viewType(type)
{
    initKivResources();
    setWindowIcon(QIcon(QStringLiteral(":/gui/menubar/kiv_icon.ico")));
    // Message boxes open over the window last active.
    WindowPlacement::followActiveWindow();
}

AView::~AView() = default;

void AView::onShow()
{
    if (m_opensOverOwner && !isVisible())
        WindowPlacement::placeOver(this, WindowPlacement::boxOwner(nullptr));
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    show();
}

void AView::onHide()
{
    hide();
}

void AView::onImportLog()
{
    ASystem *system = ASystem::instance();
    if (!system) {
        KIV_LOG(2, "Import log: the system is not connected to the windows\n");
        return;
    }
    if (system->getSystemConfig().getAgConfigCount() + 1 > KivConstants::kMaxAudiogroupCount) {
        system->showAlert(tr("Could not import log file because the max audiogroup count limit "
                             "has been reached."));
        return;
    }
    const QString path = FileDialogs::chooseFileToOpen(
        this, tr("Select log file"), getDocumentsLocation(), tr("KIV db (*.db);;ZQ XML (*.xml)"));
    if (!path.isEmpty())
        system->requestDbImport(path, false, QString());
}

void AView::closeEvent(QCloseEvent *event)
{
    emit viewHide();
    event->ignore();
}
