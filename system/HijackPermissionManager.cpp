#include "HijackPermissionManager.h"

#include <ASystem.h>
#include <HijackRequestViewController.h>
#include <InstrumentManager.h>

namespace {

HijackRequestViewController *requestView()
{
    ASystem *system = ASystem::instance();
    return system ? system->getHijackRequestViewController() : nullptr;
}

void hideRequestView()
{
    if (HijackRequestViewController *view = requestView())
        emit view->hide();
}

} // namespace

HijackPermissionManager::HijackPermissionManager() = default;

HijackPermissionManager::~HijackPermissionManager() = default;

void HijackPermissionManager::step()
{
    if (m_requests.empty()) {
        if (m_viewMayShow) {
            hideRequestView();
            m_viewMayShow = false;
        }
        return;
    }
    m_viewMayShow = true;
    const HijackPermissionRequest oldest = m_requests.back();
    ASystem *system = ASystem::instance();
    InstrumentManager *manager = system ? system->getInstrumentManager() : nullptr;
    if (manager && manager->findInstrument(oldest.getInstrumentName())) {
        // Again every cycle while it waits: the window tolerates repeated shows.
        if (HijackRequestViewController *view = requestView())
            view->showRequest(oldest);
        return;
    }
    // Its instrument was removed meanwhile: nobody waits for the answer.
    hideRequestView();
    m_requests.pop_back();
}

int HijackPermissionManager::addRequest(const QString &instrumentName)
{
    if (requestCount() >= kMaxRequests)
        return -1;
    m_requests.insert(m_requests.begin(), HijackPermissionRequest(instrumentName));
    return 0;
}

int HijackPermissionManager::answerRequest(const QString &requestId)
{
    if (m_requests.empty() || m_requests.back().getId() != requestId)
        return -1;
    hideRequestView();
    m_requests.pop_back();
    return 0;
}
