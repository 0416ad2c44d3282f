#include "DBImportViewController.h"

#include <AView.h>
#include <GUIFactory.h>

DBImportViewController::DBImportViewController() = default;

DBImportViewController::~DBImportViewController()
{
    delete m_view;
}

void DBImportViewController::init()
{
    m_view = GUIFactory::getInstance()->createView(kViewTypeGenerateReport);
    if (m_view)
        connect(this, &DBImportViewController::hide, m_view, &AView::onHide, Qt::QueuedConnection);
}
