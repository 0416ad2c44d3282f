#include "HijackRequestViewController.h"

#include "AView.h"
#include "GUIFactory.h"

#include <ASystem.h>

HijackRequestViewController::HijackRequestViewController() = default;

HijackRequestViewController::~HijackRequestViewController()
{
    delete m_view;
}

void HijackRequestViewController::init()
{
    m_view = GUIFactory::getInstance()->createView(kViewTypeHijackRequest);
    if (!m_view)
        return;
    connect(this, &HijackRequestViewController::show, m_view, &AView::onShow, Qt::QueuedConnection);
    connect(this, &HijackRequestViewController::hide, m_view, &AView::onHide, Qt::QueuedConnection);
}

void HijackRequestViewController::showRequest(const HijackPermissionRequest &request)
{
    emit show(request);
}

void HijackRequestViewController::onOkButtonClick(const QString &instrumentName,
                                                  const QString &requestId)
{
    if (ASystem *system = ASystem::instance())
        system->allowHijack(instrumentName, requestId);
}

void HijackRequestViewController::onCancelButtonClick(const QString &instrumentName,
                                                      const QString &requestId)
{
    if (ASystem *system = ASystem::instance())
        system->denyHijack(instrumentName, requestId);
}
