#pragma once

#include <QString>

// Looks shared by the small boxes.
namespace DialogStyles {

// The grey vertical gradient behind every dialog.
const QString &greyGradientSheet();
// The busy progress bar of the please-wait and closing boxes.
const QString &busyProgressBarSheet();
// The light push button of the boxes (normal, pressed, focused).
const QString &pushButtonSheet();

} // namespace DialogStyles
