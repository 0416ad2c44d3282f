#pragma once

#include <Qt>

class QCheckBox;
class QWidget;

// Mouse input as a user gives it, for tests that drive real widgets.
namespace UserInput {

// A left click into the middle of the widget.
void clickCentre(QWidget *widget, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// A left click on the box's own clickable area (its indicator and text).
void clickCheckBox(QCheckBox *box);

} // namespace UserInput
