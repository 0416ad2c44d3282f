#include "AAgViewController.h"

#include "AgGetDataCommandReply.h"

#include <QMutex>

namespace {

QMutex &factoryMutex()
{
    static QMutex mutex;
    return mutex;
}

AAgViewController::Factory &installedFactory()
{
    static AAgViewController::Factory factory;
    return factory;
}

} // namespace

AAgViewController::~AAgViewController() = default;

AAgViewController *AAgViewController::create()
{
    Factory factory;
    {
        QMutexLocker lock(&factoryMutex());
        factory = installedFactory();
    }
    AAgViewController *controller = factory ? factory() : nullptr;
    return controller ? controller : new NullAgViewController();
}

void AAgViewController::setFactory(const Factory &factory)
{
    QMutexLocker lock(&factoryMutex());
    installedFactory() = factory;
}

void NullAgViewController::setDataReply(AgGetDataCommandReply *reply) { delete reply; }
