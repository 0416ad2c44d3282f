#pragma once

#include <QFont>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRect;
class QWidget;

// Looks shared by the settings window and its pages.
namespace SettingsStyles {

constexpr int kPageWidth = 851;
constexpr int kPageHeight = 692;

// The grey of every page.
const QString &pageBackgroundSheet();
// The lighter vertical gradient behind the alarm threshold panels.
const QString &panelGradientSheet();
// Check boxes drawn by the program's own pictures; with the disabled pictures when asked.
const QString &checkBoxSheet(bool withDisabledImages = false);
// White text on a transparent background.
const QString &whiteLabelSheet();
// The entry fields of the pages.
const QString &lineEditSheet();
// The light grey buttons of the pages (ADD NEW CONTACT, SEND TEST EMAIL).
const QString &greyButtonSheet();
// The grey captions under the big buttons.
const QString &captionSheet();
// Drop-down lists: black on white, a light grey frame and the program's down arrow.
const QString &comboBoxSheet();

// A child widget that draws the sheet as its background, at the geometry.
QWidget *addPanel(QWidget *parent, const QString &objectName, const QRect &geometry,
                  const QString &sheet);
// Makes page a fixed 851 x 692 page named name with the page grey.
void setUpPage(QWidget *page, const QString &name);
// The page's white title at the top left ("REPORTS", "SMTP", ...).
QLabel *addPageTitle(QWidget *parent, const QString &text);
// A check box without text, drawn by the program's pictures.
QCheckBox *addCheckBox(QWidget *parent, const QString &objectName);
// A white label in Verdana of the size and weight.
QLabel *addWhiteLabel(QWidget *parent, const QString &objectName, const QString &text,
                      int pointSize, int weight = QFont::Normal);
// An entry field in Verdana 13, black on white.
QLineEdit *addLineEdit(QWidget *parent, const QString &objectName);
// A grey caption in Verdana 9, centred.
QLabel *addCaption(QWidget *parent, const QString &objectName, const QString &text);

} // namespace SettingsStyles
