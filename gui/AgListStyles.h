#pragma once

#include <QString>

class QWidget;
class SemaphoreWidget;

// The looks of the main window's audiogroup rows.
namespace AgListStyles {

// Tool tips: dark translucent, grey 11 px text, no border.
const QString &toolTipSheet();
// The check-box indicator pictures of a row (and of the table header).
const QString &checkBoxIndicatorSheet();
// Labels with a dark line on both sides.
const QString &sideLinedLabelSheet();
// The number and device labels: 24 px white, a dark line on the right.
const QString &largeLabelSheet();
// The address label: 12 px white, a dark line on the right.
const QString &smallLabelSheet();
// The audiogroup button: no border unless it has the focus.
const QString &agButtonSheet();
// The logging check box: dark lines on both sides, white border with the focus.
const QString &checkBoxSheet();
// The lights: a dark line on the right, white border with the focus.
const QString &semaphoreSheet();

// A light as the main window shows them: "Loading..." until its first state, at least
// minWidth x 60, with the lights' borders.
SemaphoreWidget *addLight(QWidget *parent, const QString &objectName, int minWidth);

} // namespace AgListStyles
