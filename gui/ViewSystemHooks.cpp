#include "ViewSystemHooks.h"

#include <QMutex>
#include <QMutexLocker>

namespace {
QMutex gHooksMutex;
ViewSystemHooks gHooks;
} // namespace

void setViewSystemHooks(const ViewSystemHooks &hooks)
{
    QMutexLocker lock(&gHooksMutex);
    gHooks = hooks;
}

ViewSystemHooks viewSystemHooks()
{
    QMutexLocker lock(&gHooksMutex);
    return gHooks;
}
