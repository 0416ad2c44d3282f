#pragma once

#include <QFont>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;
class QRect;
class QWidget;

// Looks shared by the small boxes.
namespace DialogStyles {

// Makes box a fixed-size, application-modal grey box named name and gives it its background
// widget, which it returns.
QWidget *setUpFixedBox(QWidget *box, const QString &name, int width, int height);
// The busy bar (no range, no value) of the please-wait and closing boxes, 200 x 23 at (x, 110).
QProgressBar *addBusyProgressBar(QWidget *parent, int x);

// The grey vertical gradient behind every dialog.
const QString &greyGradientSheet();
// The busy progress bar of the please-wait and closing boxes.
const QString &busyProgressBarSheet();
// The same look for a bar that shows how far an operation has come.
const QString &progressBarSheet();
// The light push button of the boxes (normal, pressed, focused).
const QString &pushButtonSheet();
// The light button of the windows (settings, backups): lighter when pressed, a white border
// when focused.
const QString &lightPushButtonSheet();
// The same button without a focus rule, as the question boxes have it.
const QString &plainPushButtonSheet();
// The dark gradient of the question and entry dialogs, with a thin shadow line at the bottom.
const QString &darkDialogBackgroundSheet();

// Verdana in the point size; the weight as QFont's (50 normal, 75 bold).
QFont verdana(int pointSize, int weight = QFont::Normal);
// A label of a dialog form, placed by geometry, in Verdana of the size and weight.
QLabel *addLabel(QWidget *parent, const QString &objectName, const QRect &geometry,
                 int pointSize, int weight, const QString &sheet);
// A button of a dialog form, placed by geometry, in bold Verdana 18.
QPushButton *addButton(QWidget *parent, const QString &objectName, const QRect &geometry,
                       const QString &sheet);

} // namespace DialogStyles
