#include "ADeviceNetworkInterface.h"

#include "InstrumentDeviceNetworkInterfaceReply.h"

#include "core/ASystem.h"

ADeviceNetworkInterface::ADeviceNetworkInterface(const QString &name, QObject *parent)
    : QObject(parent), m_name(name)
{
}

ADeviceNetworkInterface::~ADeviceNetworkInterface() = default;

void ADeviceNetworkInterface::postReply(const QString &instrumentName, int type, int networkError,
                                        const QByteArray *body, int httpStatus)
{
    auto *reply =
        body ? new InstrumentDeviceNetworkInterfaceReply(instrumentName, type, networkError, *body)
             : new InstrumentDeviceNetworkInterfaceReply(instrumentName, type, networkError,
                                                         nullptr);
    reply->setHttpStatus(httpStatus);
    ASystem *system = ASystem::instance();
    if (system)
        system->onInstrumentReply(reply); // owns the reply from here on, queued or not
    else
        delete reply;
}
