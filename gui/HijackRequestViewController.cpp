#include "HijackRequestViewController.h"

#include "AHijackRequestView.h"
#include "GUIFactory.h"

#include <ASystem.h>
#include <ORQLogging.h>

#include <exception>

HijackRequestViewController::HijackRequestViewController() = default;

HijackRequestViewController::~HijackRequestViewController()
{
    delete m_view;
    m_view = nullptr;
}

int HijackRequestViewController::init()
{
    try {
        m_view = GUIFactory::getInstance()->createViewAs<AHijackRequestView>(kViewTypeHijackRequest);
        if (!m_view)
            return -1;
        connect(this, &HijackRequestViewController::show, m_view, &AHijackRequestView::onShowDialog,
                Qt::QueuedConnection);
        connect(this, &HijackRequestViewController::hide, m_view, &AView::onHide,
                Qt::QueuedConnection);
        connect(m_view, &AHijackRequestView::okButtonClick, this,
                &HijackRequestViewController::onOkButtonClick, Qt::DirectConnection);
        connect(m_view, &AHijackRequestView::cancelButtonClick, this,
                &HijackRequestViewController::onCancelButtonClick, Qt::DirectConnection);
    } catch (const std::exception &e) {
        KIV_LOG(2, "HijackRequestViewController: init failed: %s\n", e.what());
        return -1;
    }
    return 0;
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
