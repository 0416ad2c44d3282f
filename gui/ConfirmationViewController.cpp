#include "ConfirmationViewController.h"

#include "AView.h"
#include "GUIFactory.h"

#include <ASystem.h>

ConfirmationViewController::ConfirmationViewController() = default;

ConfirmationViewController::~ConfirmationViewController()
{
    delete m_view;
}

void ConfirmationViewController::init()
{
    m_view = GUIFactory::getInstance()->createView(kViewTypeConfirmation);
    if (!m_view)
        return;
    connect(this, &ConfirmationViewController::show, m_view, &AView::onShow, Qt::QueuedConnection);
    connect(this, &ConfirmationViewController::hide, m_view, &AView::onHide, Qt::QueuedConnection);
}

void ConfirmationViewController::showDeleteConfirmation()
{
    emit setTextContent(tr("Are you sure you want to delete the selected audiogroups?"), tr("Yes"),
                        tr("No"));
    emit show();
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
