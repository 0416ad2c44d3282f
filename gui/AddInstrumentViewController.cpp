#include "AddInstrumentViewController.h"

#include "AView.h"
#include "GUIFactory.h"

#include <ASystem.h>

AddInstrumentViewController::AddInstrumentViewController() = default;

AddInstrumentViewController::~AddInstrumentViewController()
{
    delete m_view;
}

void AddInstrumentViewController::init()
{
    m_view = GUIFactory::getInstance()->createView(kViewTypeAddInstrument);
    if (!m_view)
        return;
    connect(this, &AddInstrumentViewController::show, m_view, &AView::onShow, Qt::QueuedConnection);
    connect(this, &AddInstrumentViewController::hide, m_view, &AView::onHide, Qt::QueuedConnection);
}

void AddInstrumentViewController::showPleaseWait(const QString &text)
{
    emit showPleaseWaitDialog(text);
}

void AddInstrumentViewController::onOkButtonClick(const QString &address, const QString &password)
{
    if (ASystem *system = ASystem::instance())
        system->submitAddInstrument(address, password);
}

void AddInstrumentViewController::onCancelButtonClick()
{
    if (ASystem *system = ASystem::instance())
        system->cancelAddInstrument();
}
