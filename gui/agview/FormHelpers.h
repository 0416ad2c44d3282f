#pragma once

#include <QLayout>
#include <QSizePolicy>

class QGridLayout;
class QWidget;

// Pieces that the plot's forms share.

// A grid on the owner without spacing and margins, named as in the form.
QGridLayout *makeFormGrid(QWidget *owner, const char *name,
                          QLayout::SizeConstraint constraint = QLayout::SetNoConstraint);

// Minimum-expanding both ways, with the stretch both ways.
QSizePolicy minimumExpanding(int stretch);
