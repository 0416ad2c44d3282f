#include "AgListStyles.h"

#include "SemaphoreWidget.h"

namespace AgListStyles {

const QString &toolTipSheet()
{
    static const QString sheet = QStringLiteral(
        "QToolTip {background-color: rgba(0, 0, 0, 80); border-radius: 2px; color: #898989; "
        "font-size: 11px; border: none; margin: 0px; padding: 0px;}");
    return sheet;
}

const QString &checkBoxIndicatorSheet()
{
    static const QString sheet = QStringLiteral(
        "QCheckBox::indicator {margin-left: 17px;}\n"
        "QCheckBox::indicator:checked {image: url(:/components/components/checkboxon.png); "
        "width: 32px; height: 26px;}\n"
        "QCheckBox::indicator:unchecked {image: url(:/components/components/checkboxoff.png); "
        "width: 25px; height: 26px;}\n"
        "QCheckBox::indicator:checked:disabled {image: "
        "url(:/components/components/checkboxondisabled.png); width: 32px; height: 26px;}\n"
        "QCheckBox::indicator:unchecked:disabled {image: "
        "url(:/components/components/checkboxoffdisabled.png); width: 25px; height: 26px;}");
    return sheet;
}

const QString &sideLinedLabelSheet()
{
    static const QString sheet =
        QStringLiteral("QLabel {border-left: 1px solid #2C2C2C; border-right: 1px solid #2C2C2C; "
                       "border-top: none; border-bottom: none;}\n") +
        toolTipSheet();
    return sheet;
}

const QString &largeLabelSheet()
{
    static const QString sheet = QStringLiteral("font: 24px;\ncolor: rgba(255, 255, 255, "
                                                "255);\ntext-align: center;\nborder-right: 1px "
                                                "solid #2C2C2C;");
    return sheet;
}

const QString &smallLabelSheet()
{
    static const QString sheet = QStringLiteral("font: 12px;\ncolor: rgba(255, 255, 255, "
                                                "255);\ntext-align: center;\nborder-right: 1px "
                                                "solid #2C2C2C;");
    return sheet;
}

const QString &agButtonSheet()
{
    static const QString sheet =
        QStringLiteral("AgListButton {border: none; outline: none;}\n"
                       "AgListButton:focus {border: 1px solid #FFFFFF;}");
    return sheet;
}

const QString &checkBoxSheet()
{
    static const QString sheet = QStringLiteral(
        "QCheckBox {border-left: 1px solid #2C2C2C; border-right: 1px solid #2C2C2C; border-top: "
        "none; border-bottom: none; outline: none;}\n"
        "QCheckBox:focus {border: 1px solid #FFFFFF;}");
    return sheet;
}

const QString &semaphoreSheet()
{
    // With the row's tool-tip style: the light's tool tip says why it shows what it shows,
    // and without it its text would be drawn in the default black on the row's black.
    static const QString sheet =
        QStringLiteral("SemaphoreWidget {border: none; border-right: 1px solid #2C2C2C; "
                       "outline: none;}\n"
                       "SemaphoreWidget:focus {border: 1px solid #FFFFFF;}\n") +
        toolTipSheet();
    return sheet;
}

SemaphoreWidget *addLight(QWidget *parent, const QString &objectName, int minWidth)
{
    auto *light = new SemaphoreWidget(parent, QStringLiteral("Loading..."));
    light->setObjectName(objectName);
    light->setMinimumSize(minWidth, 60);
    light->setStyleSheet(semaphoreSheet());
    return light;
}

} // namespace AgListStyles
