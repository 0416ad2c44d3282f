#pragma once

#include <QString>

class QWidget;

namespace KivTest {

// Saves what a widget looks like, as <name>.png, when KIV_SHOTS_DIR names a folder, for a
// person to look at; does nothing otherwise.
void saveShot(QWidget *widget, const QString &name);

} // namespace KivTest
