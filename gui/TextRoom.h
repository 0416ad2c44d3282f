#pragma once

class QWidget;

// Room for text the desktop draws larger (150 % text, a larger font setting): the sizes of
// the forms are the least ones, and a widget grows to what its text needs. At the forms'
// own sizes nothing moves.
namespace TextRoom {

// For a container whose children stand at fixed places: each label with text and each
// styled button grows to its text (taller ones about their middle), a child right of one
// that grew moves right as far, and the container's minimum size takes them all in. Done
// again whenever a child's text or font changes.
void growRow(QWidget *container);

// growRow for the background of a dialog that stands at fixed places on it: the dialog
// grows with the background.
void growWindow(QWidget *background);

// For a label or push button of a fixed size, in a layout or not: that size becomes the
// least one and the widget grows to its text, also when its font changes.
void atLeast(QWidget *widget);

// A length the form gives for text at the desktop's usual 96 dpi, at the text size of this
// desktop (150 % text: half as long again); never shorter than the form's.
int scaled(const QWidget *widget, int formLength);
// How much more a text's length on this desktop is than the same text's at 96 dpi: what a
// fixed size of the form must grow by where the form's font already overran it at 96 dpi.
int grownBy(const QWidget *widget, int length);

} // namespace TextRoom
