#include "HijackPermissionManager.h"

HijackPermissionManager::HijackPermissionManager() = default;

HijackPermissionManager::~HijackPermissionManager() = default;

void HijackPermissionManager::step() {}

int HijackPermissionManager::addRequest(const QString &)
{
    return -1;
}

int HijackPermissionManager::answerRequest(const QString &)
{
    return -1;
}
