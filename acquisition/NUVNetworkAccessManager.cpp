#include "NUVNetworkAccessManager.h"

#include <QTimer>

NUVNetworkAccessManager::NUVNetworkAccessManager(QObject *parent) : KivThread(parent)
{
    moveToThread(this);
}

NUVNetworkAccessManager::~NUVNetworkAccessManager() = default;

void NUVNetworkAccessManager::loop()
{
    QTimer::singleShot(5, this, &NUVNetworkAccessManager::onExecStart);
    exec();
}

void NUVNetworkAccessManager::onExecStart()
{
    m_started = true;
}

void NUVNetworkAccessManager::stop()
{
    disconnect();
    exit(0);
}
