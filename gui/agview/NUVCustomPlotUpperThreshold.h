#pragma once

#include "NUVCustomPlotThreshold.h"

// True peak, momentary and short-term: the upper thresholds only.
class NUVCustomPlotUpperThreshold : public NUVCustomPlotThreshold
{
    Q_OBJECT
public:
    NUVCustomPlotUpperThreshold(QWidget *parent, Qt::WindowFlags flags);
    ~NUVCustomPlotUpperThreshold() override;

protected:
    void drawThresholdLines(QPainter &painter) override;
};
