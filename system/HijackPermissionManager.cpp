#include "HijackPermissionManager.h"

HijackPermissionManager::HijackPermissionManager() = default;

HijackPermissionManager::~HijackPermissionManager() = default;

void HijackPermissionManager::step() {}
