#include "ScrollBarStyles.h"

#include <QScrollBar>

namespace {

// The dark default of the vertical look.
const QString &darkColour()
{
    static const QString colour = QStringLiteral("252525");
    return colour;
}

} // namespace

QString verticalScrollBarStyleSheet(const QString &colour)
{
    // Four places take the colour: the bar, both arrows and the page areas.
    static const QString sheet = QStringLiteral(
        "QScrollBar:vertical {border: 0px solid grey;background: #%1;width: 30px;"
        "margin: 22px 0 22px 0;}"
        "QScrollBar::handle:vertical {border-width: 28px;border-image: "
        "url(:/components/components/ScrollBar/Vertical/scroll-bar_vertical.png) 19 26 19 26 "
        "stretch stretch;}"
        "QScrollBar::add-line:vertical {border: 0px solid blue;height: 28px;"
        "subcontrol-position: bottom;subcontrol-origin: margin;}"
        "QScrollBar::sub-line:vertical {border: 0px solid blue;height: 28px;"
        "subcontrol-position: top;subcontrol-origin: margin;}"
        "QScrollBar::up-arrow:vertical {width: 30px;height: 30px;background: #%1;"
        "image: url(:/components/components/ScrollBar/Vertical/scroll-bar_arrow_up.png);}"
        "QScrollBar::down-arrow:vertical {width: 30px;height: 30px;background: #%1;"
        "image: url(:/components/components/ScrollBar/Vertical/scroll-bar_arrow_down.png);}"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical {background: #%1;}");
    return sheet.arg(colour);
}

const QString &horizontalScrollBarStyleSheet()
{
    static const QString sheet = QStringLiteral(
        "QScrollBar:horizontal {border: 0px solid grey;background:#252525;height: 30px;"
        "margin: 0px 16px 0 16px;}"
        "QScrollBar::handle:horizontal {border-width: 28px;border-image: "
        "url(:/components/components/ScrollBar/Horizontal/PlotHorizontal/"
        "scroll-bar-horizontal.png) 27 26 27 26 stretch stretch;}"
        "QScrollBar::add-line:horizontal {border: 0px solid blue;width: 28px;"
        "subcontrol-position: right;subcontrol-origin: margin;}"
        "QScrollBar::sub-line:horizontal {border: 0px solid blue;width: 28px;"
        "subcontrol-position: left;subcontrol-origin: margin;}"
        "QScrollBar::left-arrow:horizontal {width: 22px;height: 30px;background: #252525;"
        "image: url(:/components/components/ScrollBar/Horizontal/scroll-bar_arrow_left.png);"
        "left: -7px;}"
        "QScrollBar::right-arrow:horizontal {width: 22px;height: 30px;background: #252525;"
        "image: url(:/components/components/ScrollBar/Horizontal/scroll-bar_arrow_right.png);"
        "right: -7px;}"
        "QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal "
        "{background: #252525;}");
    return sheet;
}

int applyVerticalScrollBarStyle(QWidget *widget)
{
    if (!widget)
        return -1;
    static const QString sheet = verticalScrollBarStyleSheet(darkColour());
    widget->setStyleSheet(sheet);
    return 0;
}

int applyHorizontalScrollBarStyle(QScrollBar *bar)
{
    if (!bar)
        return -1;
    bar->setStyleSheet(horizontalScrollBarStyleSheet());
    return 0;
}

int applyColoredVerticalScrollBarStyle(QScrollBar *bar, const QString &colour)
{
    if (!bar)
        return -1;
    bar->setStyleSheet(verticalScrollBarStyleSheet(colour));
    return 0;
}
