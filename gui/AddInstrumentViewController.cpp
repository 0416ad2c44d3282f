#include "AddInstrumentViewController.h"

#include "AAddInstrumentView.h"
#include "GUIFactory.h"

#include <ASystem.h>
#include <ORQLogging.h>

#include <exception>

AddInstrumentViewController::AddInstrumentViewController() = default;

AddInstrumentViewController::~AddInstrumentViewController()
{
    delete m_view;
    m_view = nullptr;
}

int AddInstrumentViewController::init()
{
    try {
        m_view = GUIFactory::getInstance()->createViewAs<AAddInstrumentView>(kViewTypeAddInstrument);
        if (!m_view)
            return -1;
        connect(this, &AddInstrumentViewController::show, m_view, &AView::onShow,
                Qt::QueuedConnection);
        connect(this, &AddInstrumentViewController::hide, m_view, &AView::onHide,
                Qt::QueuedConnection);
        connect(this, &AddInstrumentViewController::showPleaseWaitDialog, m_view,
                &AAddInstrumentView::onShowPleaseWaitDialog, Qt::QueuedConnection);
        connect(this, &AddInstrumentViewController::hidePleaseWaitDialog, m_view,
                &AAddInstrumentView::onHidePleaseWaitDialog, Qt::QueuedConnection);
        connect(m_view, &AAddInstrumentView::OkButtonClick, this,
                &AddInstrumentViewController::onOkButtonClick, Qt::DirectConnection);
        connect(m_view, &AAddInstrumentView::CancelButtonClick, this,
                &AddInstrumentViewController::onCancelButtonClick, Qt::DirectConnection);
    } catch (const std::exception &e) {
        KIV_LOG(2, "AddInstrumentViewController: init failed: %s\n", e.what());
        return -1;
    }
    return 0;
}

void AddInstrumentViewController::showView()
{
    emit show();
}

void AddInstrumentViewController::hideView()
{
    emit hide();
}

void AddInstrumentViewController::showPleaseWait(const QString &text)
{
    emit showPleaseWaitDialog(text);
}

void AddInstrumentViewController::hidePleaseWait()
{
    emit hidePleaseWaitDialog();
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
