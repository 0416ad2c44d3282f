#include "ConfirmationViewController.h"

#include "AConfirmationView.h"
#include "GUIFactory.h"

#include <ASystem.h>
#include <ORQLogging.h>

#include <exception>

ConfirmationViewController::ConfirmationViewController() = default;

ConfirmationViewController::~ConfirmationViewController()
{
    delete m_view;
    m_view = nullptr;
}

int ConfirmationViewController::init()
{
    try {
        m_view = GUIFactory::getInstance()->createViewAs<AConfirmationView>(kViewTypeConfirmation);
        if (!m_view)
            return -1;
        connect(this, &ConfirmationViewController::show, m_view, &AView::onShow,
                Qt::QueuedConnection);
        connect(this, &ConfirmationViewController::hide, m_view, &AView::onHide,
                Qt::QueuedConnection);
        connect(this, &ConfirmationViewController::setTextContent, m_view,
                &AConfirmationView::onSetTextContent, Qt::QueuedConnection);
        connect(this, &ConfirmationViewController::showPleaseWait, m_view,
                &AConfirmationView::onShowPleaseWaitDialog, Qt::QueuedConnection);
        connect(this, &ConfirmationViewController::hidePleaseWait, m_view,
                &AConfirmationView::onHidePleaseWaitDialog, Qt::QueuedConnection);
        connect(m_view, &AConfirmationView::OkButtonClick, this,
                &ConfirmationViewController::onOkButtonClick, Qt::DirectConnection);
        connect(m_view, &AConfirmationView::CancelButtonClick, this,
                &ConfirmationViewController::onCancelButtonClick, Qt::DirectConnection);
    } catch (const std::exception &e) {
        KIV_LOG(2, "ConfirmationViewController: init failed: %s\n", e.what());
        return -1;
    }
    return 0;
}

void ConfirmationViewController::showDeleteConfirmation()
{
    emit setTextContent(tr("Are you sure you want to delete the selected audiogroups?"), tr("Yes"),
                        tr("No"));
    emit show();
}

void ConfirmationViewController::hideView()
{
    emit hide();
}

void ConfirmationViewController::onOkButtonClick()
{
    if (ASystem *system = ASystem::instance())
        system->confirmDeleteAudiogroups();
}

void ConfirmationViewController::onCancelButtonClick()
{
    if (ASystem *system = ASystem::instance())
        system->cancelDeleteAudiogroups();
}
