#include "StatusLightDescription.h"

StatusLightDescription::StatusLightDescription() = default;

StatusLightDescription::StatusLightDescription(const StatusLightDescription &other) = default;

StatusLightDescription &
StatusLightDescription::operator=(const StatusLightDescription &other) = default;

StatusLightDescription::~StatusLightDescription() = default;

bool StatusLightDescription::operator==(const StatusLightDescription &other) const
{
    return imported == other.imported && connectionState == other.connectionState &&
           violationState == other.violationState && instrumentName == other.instrumentName &&
           agSourceName == other.agSourceName && connectionMessage == other.connectionMessage &&
           connectionNote == other.connectionNote && violationMessage == other.violationMessage;
}
