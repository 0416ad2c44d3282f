#include "ADeviceAddNetworkInterface.h"

#include "core/ASystem.h"

ADeviceAddNetworkInterface::ADeviceAddNetworkInterface(QObject *parent) : QObject(parent) {}

ADeviceAddNetworkInterface::~ADeviceAddNetworkInterface() = default;

void ADeviceAddNetworkInterface::postReply(int kind, int networkError, QString *text)
{
    ASystem *system = ASystem::instance();
    if (!system) {
        delete text;
        return;
    }
    // A refused post frees the payload and with it the text.
    system->onAddDeviceReply(kind, networkError, text);
}
