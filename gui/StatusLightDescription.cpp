#include "StatusLightDescription.h"

StatusLightDescription::StatusLightDescription() = default;

StatusLightDescription::StatusLightDescription(const StatusLightDescription &other) = default;

StatusLightDescription &
StatusLightDescription::operator=(const StatusLightDescription &other) = default;

StatusLightDescription::~StatusLightDescription() = default;
