#include "DialogStyles.h"

namespace DialogStyles {

const QString &greyGradientSheet()
{
    static const QString sheet = QStringLiteral(
        "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 rgba(181, "
        "181, 181, 255), stop:1 rgba(132, 132, 132, 255))");
    return sheet;
}

const QString &busyProgressBarSheet()
{
    static const QString sheet = QStringLiteral(
        "QProgressBar::chunk { background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, "
        "y2:1, stop:0 #A9A9A9, stop:1 #434343); border: 1px solid rgba(0, 0, 0, 125); "
        "border-radius: 4px; width: 60px; }\n"
        "QProgressBar { background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, "
        "stop:0 #585858, stop:1 #434343);  border-top: 1px solid rgba(0, 0, 0, 125); "
        "border-left: 1px solid rgba(0, 0, 0, 125); border-right: 1px solid rgba(0, 0, 0, 125); "
        "border-bottom: 1px solid rgba(255, 255, 255, 50); text-align: center; }");
    return sheet;
}

const QString &pushButtonSheet()
{
    static const QString sheet = QStringLiteral(
        "QPushButton {border-width: 1px; border-style: solid; border-radius: 4px; "
        "border-top-color: rgba(0,0,0,191); border-left-color: rgba(0,0,0,191); "
        "border-right-width: 2px; border-right-color: rgba(0,0,0,30); "
        "border-bottom-width: 2px; border-bottom-color: rgba(0,0,0,30); "
        "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 #D3D3D3, "
        "stop:1 #A5A5A5); outline: 0;}\n"
        "QPushButton:pressed {border-width: 1px; border-style: solid; border-radius: 4px; "
        "border-top-color: rgba(0,0,0,191); border-left-color: rgba(0,0,0,191); "
        "border-right-width: 2px; border-right-color: rgba(0,0,0,30); "
        "border-bottom-width: 2px; border-bottom-color: rgba(0,0,0,30); "
        "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 #767676, "
        "stop:1 #606060);}\n"
        "QPushButton:focus {border: 1px solid #FFFFFF;}");
    return sheet;
}

} // namespace DialogStyles
