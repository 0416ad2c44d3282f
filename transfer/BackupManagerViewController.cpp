#include "BackupManagerViewController.h"

#include <AView.h>
#include <GUIFactory.h>

BackupManagerViewController::BackupManagerViewController(QObject *parent) : QObject(parent) {}

BackupManagerViewController::~BackupManagerViewController()
{
    delete m_view;
}

void BackupManagerViewController::init()
{
    m_view = GUIFactory::getInstance()->createView(kViewTypeBackupManager);
}
