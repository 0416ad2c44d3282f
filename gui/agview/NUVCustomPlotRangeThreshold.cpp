#include "NUVCustomPlotRangeThreshold.h"

#include <QPainter>

NUVCustomPlotRangeThreshold::NUVCustomPlotRangeThreshold(QWidget *parent, Qt::WindowFlags flags)
    : NUVCustomPlotThreshold(parent, flags)
{
}

NUVCustomPlotRangeThreshold::~NUVCustomPlotRangeThreshold() = default;

void NUVCustomPlotRangeThreshold::drawThresholdLines(QPainter &painter)
{
    painter.setPen(mainPen());
    drawValueLine(painter, getMainUpper());
    drawValueLine(painter, getMainLower());
    painter.setPen(secondaryPen());
    drawValueLine(painter, getSecondaryUpper());
    drawValueLine(painter, getSecondaryLower());
}
