#pragma once

#include <QString>

class QScrollBar;
class QWidget;

// The dark scroll-bar looks shared by every window (main window, audiogroup window, table
// view, backup manager, settings lists).

// The dark vertical look (#252525) on a widget: a vertical scroll bar or a widget whose
// vertical scroll bars should take it. -1 and no change for a null widget, else 0.
int applyVerticalScrollBarStyle(QWidget *widget);

// The dark horizontal look on a horizontal scroll bar. -1 and no change for null, else 0.
int applyHorizontalScrollBarStyle(QScrollBar *bar);

// The vertical look with the background in the colour: six hexadecimal digits without "#"
// ("464646"). -1 and no change for a null bar, else 0.
int applyColoredVerticalScrollBarStyle(QScrollBar *bar, const QString &colour);

// The style sheets that the functions above set.
QString verticalScrollBarStyleSheet(const QString &colour);
const QString &horizontalScrollBarStyleSheet();
