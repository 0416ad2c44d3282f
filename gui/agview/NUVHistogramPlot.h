#pragma once

#include <QList>
#include <QSharedPointer>
#include <QWidget>

#include <memory>

class NUVHistogramPlotGrid;
class QCPBars;
class QCPBarsData;
class QCustomPlot;
template <class DataType>
class QCPDataContainer;

// The momentary-loudness histogram of the audiogroup window: one bar per bin, placed
// relative to the reference level over a fixed scale from -18 to +9 LU, drawn over a grid
// picture with the value labels and the caption.
class NUVHistogramPlot : public QWidget
{
    Q_OBJECT
public:
    explicit NUVHistogramPlot(QWidget *parent);
    ~NUVHistogramPlot() override;

    // Once, after the owner's form is built.
    void initPlot();

    QCustomPlot *customPlot() const;
    QCPBars *bars() const { return m_bars; }
    // Under the bars: the grid lines. Above them: the labels, the unit and the caption.
    NUVHistogramPlotGrid *grid() const;
    NUVHistogramPlotGrid *texts() const;
    double lowerBound() const { return m_lowerBound; }
    double upperBound() const { return m_upperBound; }

public slots:
    // counts: one per bin, first bin first; firstEdge: the lower edge of the first bin;
    // lastEdge: unused; width: the bin width; reference: subtracted from every edge.
    void onUpdateHistogram(QList<double> counts, double firstEdge, double lastEdge, double width,
                           double reference);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Form;
    void setupForm();
    // Room for the texts: the margins of the grid's columns and the strip at the top.
    void fitTextRoom();

    std::unique_ptr<Form> m_form;
    QCPBars *m_bars = nullptr;
    QSharedPointer<QCPDataContainer<QCPBarsData>> m_barData;
    double m_lowerBound = 0.0;
    double m_upperBound = 0.0;
    // What the bars show, so that an unchanged calculation is not drawn again.
    bool m_drawn = false;
    QList<double> m_drawnCounts;
    double m_drawnFirstEdge = 0.0;
    double m_drawnWidth = 0.0;
    double m_drawnReference = 0.0;
};
