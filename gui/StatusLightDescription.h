#pragma once

#include <QString>

// What one audiogroup's two lights show, as the main window draws them. States: 0 the
// message instead of the lamps, 1 green, 2 red, 3 yellow, 4 all lamps grey (not logging;
// also the state before anything is computed).
class StatusLightDescription
{
public:
    static constexpr int kStateMessage = 0;
    static constexpr int kStateGreen = 1;
    static constexpr int kStateRed = 2;
    static constexpr int kStateYellow = 3;
    static constexpr int kStateInactive = 4;

    StatusLightDescription();
    StatusLightDescription(const StatusLightDescription &other);
    StatusLightDescription &operator=(const StatusLightDescription &other);
    virtual ~StatusLightDescription();

    bool operator==(const StatusLightDescription &other) const;
    bool operator!=(const StatusLightDescription &other) const { return !(*this == other); }

    bool imported = false;
    QString instrumentName;
    QString agSourceName;
    int connectionState = kStateInactive;
    QString connectionMessage;
    // Why the connection light shows what it shows, as its tool tip; empty when all is well.
    QString connectionNote;
    int violationState = kStateInactive;
    QString violationMessage;
};
