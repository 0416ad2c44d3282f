#pragma once

#include <QMetaType>

// The page the audiogroup window shows.
enum ActiveScreen : int { ActiveScreenPlot = 0, ActiveScreenTable = 1 };

Q_DECLARE_METATYPE(ActiveScreen)
