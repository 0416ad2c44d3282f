#pragma once

#include "InkedTiles.h"
#include "NUVPlotScaleLabels.h"

#include <KivTypes.h>

#include <QColor>
#include <QLabel>
#include <QString>
#include <QVector>

class QPainter;

// One plotted value's alarm-threshold lines and loudness scale, painted on a transparent
// picture of the plot's size. The lowest 31 rows are left to the time-axis labels.
class NUVCustomPlotThreshold : public QLabel
{
    Q_OBJECT
public:
    NUVCustomPlotThreshold(QWidget *parent, Qt::WindowFlags flags);
    ~NUVCustomPlotThreshold() override;

    // True peak takes its fixed scale -18..10.5 (labels up to 4.5); every value its step.
    void setPlotValue(PlotValue plotValue);
    // Ignored for true peak and for 0..0; takes effect at the next redraw.
    void setScaleRange(double min, double max);
    void setMainThresholds(double lower, double upper);
    void setSecondaryThresholds(double lower, double upper);
    void setColor(const QColor &color);
    void setScaleOnRight(bool right);
    void setUnit(const QString &unit);
    void setLabelsHidden(bool hidden);
    void resizeTo(int width, int height);

    PlotValue getPlotValue() const { return m_plotValue; }
    double getScaleMin() const { return m_scaleMin; }
    double getScaleMax() const { return m_scaleMax; }
    double getScaleTop() const { return m_scaleTop; }
    double getMainLower() const { return m_mainLower; }
    double getMainUpper() const { return m_mainUpper; }
    double getSecondaryLower() const { return m_secondaryLower; }
    double getSecondaryUpper() const { return m_secondaryUpper; }
    bool isScaleOnRight() const { return m_scaleOnRight; }
    QColor getColor() const { return m_color; }
    QString getUnit() const { return m_unit; }
    bool areLabelsHidden() const { return m_labelsHidden; }

    // Row of a value: 0 at the scale maximum, height - 31 at its minimum; -1.0 for an
    // empty scale.
    double valueToRow(double value) const;

    // A tick of the scale and its label (empty where no label fits).
    struct ScaleMark
    {
        int row;
        QString label;
    };
    // The scale's ticks from its minimum up to its top, for labels fontHeight pixels high.
    QVector<ScaleMark> scaleMarks(int fontHeight) const;
    // The labels of the scale as last drawn, for the plot to show above its curves; none
    // while the labels are hidden.
    const QVector<NUVPlotScaleLabels::Label> &scaleLabels() const { return m_scaleLabels; }

protected:
    // Only the picture's inked tiles: the rest is transparent.
    void paintEvent(QPaintEvent *event) override;
    virtual void drawThresholdLines(QPainter &painter) = 0;
    // A full-width line at the value's row.
    void drawValueLine(QPainter &painter, double value);
    QPen mainPen() const;
    QPen secondaryPen() const;

private:
    void redraw();
    void drawScale(QPainter &painter);

    PlotValue m_plotValue = PlotValue(0);
    double m_scaleMin = 0.0;
    double m_scaleMax = 0.0;
    double m_scaleTop = 0.0;
    double m_scaleStep = 0.0;
    double m_mainLower = 0.0;
    double m_mainUpper = 0.0;
    double m_secondaryLower = 0.0;
    double m_secondaryUpper = 0.0;
    bool m_scaleOnRight = false;
    QColor m_color;
    QString m_unit;
    bool m_labelsHidden = false;
    // What the shown picture was drawn from; the window sets the same values every 50 ms.
    QString m_drawnKey;
    QVector<NUVPlotScaleLabels::Label> m_scaleLabels;
    InkedTiles m_inked;
};
