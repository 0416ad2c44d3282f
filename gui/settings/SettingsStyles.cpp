#include "SettingsStyles.h"

#include <DialogStyles.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace SettingsStyles {

const QString &pageBackgroundSheet()
{
    static const QString sheet = QStringLiteral("background-color:#656565");
    return sheet;
}

const QString &panelGradientSheet()
{
    static const QString sheet = QStringLiteral(
        "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 #ADADAD, "
        "stop:1 #898989);");
    return sheet;
}

const QString &checkBoxSheet(bool withDisabledImages)
{
    static const QString base = QStringLiteral(
        "QCheckBox {background-color: rgba(0,0,0,0); outline: none;}\n"
        "QCheckBox::indicator:checked {image: url(:/components/components/checkboxon.png);}\n"
        "QCheckBox::indicator:unchecked {image: url(:/components/components/checkboxoff.png);}");
    static const QString withDisabled =
        base + QStringLiteral("\nQCheckBox::indicator:checked:disabled {image: "
                              "url(:/components/components/checkboxondisabled.png);}\n"
                              "QCheckBox::indicator:unchecked:disabled {image: "
                              "url(:/components/components/checkboxoffdisabled.png);}");
    return withDisabledImages ? withDisabled : base;
}

const QString &whiteLabelSheet()
{
    static const QString sheet = QStringLiteral("color:#FFFFFF; background-color:rgba(0,0,0,0);");
    return sheet;
}

const QString &lineEditSheet()
{
    static const QString sheet = QStringLiteral(
        "color:black; background-color:white;selection-background-color:rgb(51,153,255);");
    return sheet;
}

const QString &greyButtonSheet()
{
    // Disabled, the white text would vanish on the light face.
    static const QString sheet =
        DialogStyles::pushButtonSheet() + QStringLiteral("\nQPushButton:disabled {color: #7A7A7A;}");
    return sheet;
}

const QString &captionSheet()
{
    static const QString sheet = QStringLiteral("color:#B7B7B7; background-color:rgba(0,0,0,0);");
    return sheet;
}

const QString &comboBoxSheet()
{
    static const QString sheet = QStringLiteral(
        "QComboBox {color: black; background-color: white; border: 4px solid #D3D3D3; "
        "padding-left: 4px;}\n"
        "QComboBox::drop-down {border: none; width: 22px;}\n"
        "QComboBox::down-arrow {image: "
        "url(:/components/components/ScrollBar/Vertical/scroll-bar_arrow_down.png);}\n"
        "QComboBox QAbstractItemView {color: black; background-color: white; "
        "selection-background-color: rgb(51,153,255);}");
    return sheet;
}

QWidget *addPanel(QWidget *parent, const QString &objectName, const QRect &geometry,
                  const QString &sheet)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(objectName);
    panel->setGeometry(geometry);
    panel->setAttribute(Qt::WA_StyledBackground, true);
    panel->setStyleSheet(sheet);
    return panel;
}

void setUpPage(QWidget *page, const QString &name)
{
    page->setObjectName(name);
    page->setWindowTitle(QStringLiteral("Form"));
    page->setFixedSize(kPageWidth, kPageHeight);
    page->setAttribute(Qt::WA_StyledBackground, true);
    page->setStyleSheet(pageBackgroundSheet());
}

QLabel *addPageTitle(QWidget *parent, const QString &text)
{
    QLabel *title = addWhiteLabel(parent, QStringLiteral("label"), text, 17, QFont::Bold);
    title->setGeometry(10, 16, 841, 31);
    return title;
}

QCheckBox *addCheckBox(QWidget *parent, const QString &objectName)
{
    auto *box = new QCheckBox(parent);
    box->setObjectName(objectName);
    box->setStyleSheet(checkBoxSheet());
    return box;
}

QLabel *addWhiteLabel(QWidget *parent, const QString &objectName, const QString &text,
                      int pointSize, int weight)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setFont(DialogStyles::verdana(pointSize, weight));
    label->setStyleSheet(whiteLabelSheet());
    return label;
}

QLineEdit *addLineEdit(QWidget *parent, const QString &objectName)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setFont(DialogStyles::verdana(13));
    edit->setStyleSheet(lineEditSheet());
    return edit;
}

QLabel *addCaption(QWidget *parent, const QString &objectName, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setFont(DialogStyles::verdana(9));
    label->setStyleSheet(captionSheet());
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace SettingsStyles
