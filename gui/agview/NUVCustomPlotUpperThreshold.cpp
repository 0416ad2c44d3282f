#include "NUVCustomPlotUpperThreshold.h"

#include <QPainter>

NUVCustomPlotUpperThreshold::NUVCustomPlotUpperThreshold(QWidget *parent, Qt::WindowFlags flags)
    : NUVCustomPlotThreshold(parent, flags)
{
}

NUVCustomPlotUpperThreshold::~NUVCustomPlotUpperThreshold() = default;

void NUVCustomPlotUpperThreshold::drawThresholdLines(QPainter &painter)
{
    painter.setPen(mainPen());
    drawValueLine(painter, getMainUpper());
    painter.setPen(secondaryPen());
    drawValueLine(painter, getSecondaryUpper());
}
