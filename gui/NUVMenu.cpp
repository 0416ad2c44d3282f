#include "NUVMenu.h"

#include "ASystemView.h"
#include "AView.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPixmap>

namespace {

const char *const kDropDownSheet =
    "QMenu {background-color:white; border:1px solid black;} QMenu::item {background-color: "
    "white;} QMenu::item:selected {background-color: rgba(218,218,218,255); color: black;}";

} // namespace

NUVMenu::NUVMenu(QWidget *parent) : QMenuBar(parent) {}

NUVMenu::~NUVMenu()
{
    for (QMenu *menu : {m_fileMenu, m_editMenu, m_helpMenu}) {
        if (menu)
            menu->deleteLater();
    }
}

void NUVMenu::setupMenus(AView *view)
{
    if (!view)
        return;
    auto *logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("menuBarLogo"));
    logo->setPixmap(QPixmap(QStringLiteral(":/gui/menubar/menubar_logo.png")));
    logo->setMinimumHeight(10);
    logo->setStyleSheet(
        QStringLiteral("QLabel { margin-top: 5px; margin-left: 5px; margin-right: 11px; }"));
    setCornerWidget(logo, Qt::TopLeftCorner);
    setStyleSheet(QString::fromLatin1(kDropDownSheet));

    buildFileMenu(view);
    buildEditMenu(view);
    buildHelpMenu(view);
    m_editMenu->actions().value(0)->setEnabled(true);
    m_helpMenu->actions().value(0)->setEnabled(true);
}

QMenu *NUVMenu::replaceMenu(QMenu *&menu, const QString &title)
{
    if (menu) {
        menu->deleteLater();
        menu = nullptr;
    }
    menu = addMenu(title);
    return menu;
}

void NUVMenu::buildFileMenu(AView *view)
{
    QMenu *menu = replaceMenu(m_fileMenu, tr("&File"));

    auto *importLog = new QAction(tr("&Import Log"), this);
    connect(importLog, &QAction::triggered, view, &AView::onImportLog, Qt::DirectConnection);
    menu->addAction(importLog);

    auto *generateReport = new QAction(tr("&Generate Report"), this);
    connect(generateReport, &QAction::triggered, view, &AView::menuShowReportsWindow);
    menu->addAction(generateReport);

    auto *quit = new QAction(tr("&Quit"), this);
    connect(quit, &QAction::triggered, view, &AView::menuQuitApplication);
    menu->addAction(quit);

    // The entry of the window's own kind sits between Import Log and Generate Report.
    if (view->getViewType() == kViewTypeAg) {
        auto *exportLog = new QAction(tr("&Export Log"), this);
        connect(exportLog, &QAction::triggered, view, &AView::menuExportLog, Qt::DirectConnection);
        menu->insertAction(generateReport, exportLog);
    } else if (view->getViewType() == kViewTypeSystem) {
        if (auto *mainWindow = qobject_cast<ASystemView *>(view)) {
            auto *manageBackups = new QAction(tr("&Manage Backups"), this);
            connect(manageBackups, &QAction::triggered, mainWindow,
                    &ASystemView::menuShowManageBackupsWindow, Qt::DirectConnection);
            menu->insertAction(generateReport, manageBackups);
        }
    }
}

void NUVMenu::buildEditMenu(AView *view)
{
    QMenu *menu = replaceMenu(m_editMenu, tr("&Edit"));
    auto *settings = new QAction(tr("&Settings"), this);
    connect(settings, &QAction::triggered, view, &AView::menuShowSettingsWindow);
    menu->addAction(settings);
}

void NUVMenu::buildHelpMenu(AView *view)
{
    QMenu *menu = replaceMenu(m_helpMenu, tr("&Help"));
    auto *documentation = new QAction(tr("&Documentation"), this);
    connect(documentation, &QAction::triggered, view, &AView::menuShowDocumentationWindow);
    menu->addAction(documentation);
    auto *about = new QAction(tr("&About"), this);
    connect(about, &QAction::triggered, view, &AView::menuShowAboutWindow);
    menu->addAction(about);
}
