#pragma once

#include "NUVCustomPlotThreshold.h"

// Integrated loudness: an upper and a lower threshold of each set.
class NUVCustomPlotRangeThreshold : public NUVCustomPlotThreshold
{
    Q_OBJECT
public:
    NUVCustomPlotRangeThreshold(QWidget *parent, Qt::WindowFlags flags);
    ~NUVCustomPlotRangeThreshold() override;

protected:
    void drawThresholdLines(QPainter &painter) override;
};
