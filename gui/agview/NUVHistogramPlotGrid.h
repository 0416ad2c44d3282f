#pragma once

#include <QLabel>
#include <QPixmap>

class QPainter;

// The picture under the momentary histogram: vertical grid lines, the value labels, the
// unit "LU" and the caption "Momentary Statistics". Painted only when resized.
class NUVHistogramPlotGrid : public QLabel
{
    Q_OBJECT
public:
    static constexpr int kLeftMargin = 30;
    static constexpr int kRightMargin = 30;
    static constexpr int kLabelGap = 5;
    static constexpr int kLabelBaseline = 10;
    static constexpr int kCaptionLineSpacing = 5;

    explicit NUVHistogramPlotGrid(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~NUVHistogramPlotGrid() override;

    // What the picture holds: the lines, the texts or both.
    enum Part { Lines = 1, Texts = 2 };
    // Does not repaint.
    void setParts(int parts) { m_parts = parts; }
    // Does not repaint.
    void setValueRange(double minimum, double maximum, double step);
    // Resizes the label and repaints its picture.
    void resizeGrid(const QSize &size);
    // Rows from the top that the labels, the unit and the caption need.
    int textsHeight() const;
    // The fixed values above as the least ones: larger text moves the labels' baseline down
    // and the scale's ends inward, so that no digit and no "LU" is cut at an edge.
    int labelBaseline() const;
    int leftMargin() const;
    int rightMargin() const;
    // The column of a value; -1.0 without a valid range.
    double valueToX(double value) const;

    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    double step() const { return m_step; }

protected:
    // As the label paints its picture, with the disabled look of it kept.
    void paintEvent(QPaintEvent *event) override;

private:
    void redrawGrid();
    void drawLabels(QPainter *painter);

    double m_minimum = -1.0;
    double m_maximum = -1.0;
    double m_step = -1.0;
    int m_parts = Lines | Texts;
    // The histogram takes no input and is disabled: the label would make the disabled look
    // of its picture again at every repaint of the bars above it.
    QPixmap m_disabledLook;
    qint64 m_disabledLookOf = 0;
    qint64 m_disabledLookPalette = 0;
    const QStyle *m_disabledLookStyle = nullptr;
};
