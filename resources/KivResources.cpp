#include "KivResources.h"

#include <QtGlobal>

#include <mutex>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerKivResources()
{
    Q_INIT_RESOURCE(kiv);
}

void initKivResources()
{
    static std::once_flag once;
    std::call_once(once, registerKivResources);
}
