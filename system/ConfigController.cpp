#include "ConfigController.h"

ConfigController::ConfigController() = default;

ConfigController::~ConfigController() = default;

int ConfigController::init(int)
{
    return 0;
}

void ConfigController::tick() {}

void ConfigController::clear() {}
