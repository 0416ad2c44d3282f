#include "NUVHistogramPlot.h"

#include "FormHelpers.h"
#include "NUVHistogramPlotGrid.h"

#include <KivTypes.h>
#include <KivUtils.h>

#include <QGridLayout>
#include <QResizeEvent>
#include <QSpacerItem>

#include <qcustomplot.h>

#include <algorithm>

namespace {

const char *const kTransparentSheet = "background-color: rgba(0,0,0,0);";

QWidget *makeWrapper(QWidget *parent, const char *name)
{
    auto *wrapper = new QWidget(parent);
    wrapper->setObjectName(QLatin1String(name));
    wrapper->setStyleSheet(QLatin1String(kTransparentSheet));
    return wrapper;
}

} // namespace

struct NUVHistogramPlot::Form
{
    QGridLayout *gridLayout = nullptr;
    QWidget *gridWrapper = nullptr;
    QGridLayout *plot2 = nullptr;
    NUVHistogramPlotGrid *histogramGrid = nullptr;
    NUVHistogramPlotGrid *histogramTexts = nullptr;
    QWidget *customPlotWrapper = nullptr;
    QGridLayout *plot = nullptr;
    QSpacerItem *leftSpacer = nullptr;
    QSpacerItem *rightSpacer = nullptr;
    QCustomPlot *customPlot = nullptr;
};

NUVHistogramPlot::NUVHistogramPlot(QWidget *parent)
    : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    m_barData = QSharedPointer<QCPBarsDataContainer>::create();
    m_bars = new QCPBars(m_form->customPlot->xAxis, m_form->customPlot->yAxis);
}

NUVHistogramPlot::~NUVHistogramPlot() = default;

void NUVHistogramPlot::setupForm()
{
    Form &f = *m_form;
    setObjectName(QStringLiteral("NUVHistogramPlot"));
    resize(400, 100);
    setStyleSheet(QLatin1String(kTransparentSheet));
    f.gridLayout = makeFormGrid(this, "gridLayout");

    f.gridWrapper = makeWrapper(this, "gridWrapper");
    f.plot2 = makeFormGrid(f.gridWrapper, "plot2");
    f.histogramGrid = new NUVHistogramPlotGrid(f.gridWrapper);
    f.histogramGrid->setObjectName(QStringLiteral("histogramGrid"));
    f.histogramGrid->setMinimumSize(0, 0);
    f.histogramGrid->setMaximumSize(16777215, 16777215);
    f.histogramGrid->setStyleSheet(QLatin1String(kTransparentSheet));
    f.plot2->addWidget(f.histogramGrid, 0, 0);
    f.plot2->setRowStretch(0, 1);

    f.customPlotWrapper = makeWrapper(this, "customPlotWrapper");
    f.plot = makeFormGrid(f.customPlotWrapper, "plot");
    // The plot keeps 30 pixels in from both sides, as the grid's margins do.
    f.leftSpacer = new QSpacerItem(30, 1, QSizePolicy::Fixed, QSizePolicy::Minimum);
    f.plot->addItem(f.leftSpacer, 0, 0);
    f.customPlot = new QCustomPlot(f.customPlotWrapper);
    f.customPlot->setObjectName(QStringLiteral("customPlot"));
    f.customPlot->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
    f.customPlot->setStyleSheet(QLatin1String(kTransparentSheet));
    f.plot->addWidget(f.customPlot, 0, 1);
    f.rightSpacer = new QSpacerItem(30, 1, QSizePolicy::Fixed, QSizePolicy::Minimum);
    f.plot->addItem(f.rightSpacer, 0, 2);
    f.plot->setRowStretch(0, 1);

    // The plot above the grid, in the same cell, and the texts in a strip of their own
    // above the bars (fitTextRoom), so that a tall bar never hides the caption or a label.
    f.histogramGrid->setParts(NUVHistogramPlotGrid::Lines);
    f.histogramTexts = new NUVHistogramPlotGrid(this);
    f.histogramTexts->setObjectName(QStringLiteral("histogramTexts"));
    f.histogramTexts->setParts(NUVHistogramPlotGrid::Texts);
    f.histogramTexts->setStyleSheet(QLatin1String(kTransparentSheet));
    f.histogramTexts->setAttribute(Qt::WA_TransparentForMouseEvents);
    f.gridLayout->addWidget(f.gridWrapper, 0, 0);
    f.gridLayout->addWidget(f.customPlotWrapper, 0, 0);
    // Only the strip the texts take, so that a repaint of the bars copies little.
    f.gridLayout->addWidget(f.histogramTexts, 0, 0, Qt::AlignTop);
}

QCustomPlot *NUVHistogramPlot::customPlot() const
{
    return m_form->customPlot;
}

NUVHistogramPlotGrid *NUVHistogramPlot::grid() const
{
    return m_form->histogramGrid;
}

NUVHistogramPlotGrid *NUVHistogramPlot::texts() const
{
    return m_form->histogramTexts;
}

void NUVHistogramPlot::initPlot()
{
    QCustomPlot *plot = m_form->customPlot;
    plot->setBackground(QBrush(QColor(0, 0, 0, 0), Qt::SolidPattern));
    // New bars come with a reply, twice a second while a program runs: they are painted with
    // the rest of the window in the event loop, not at once, and from one buffer (nothing is
    // drawn on the overlay).
    plot->setPlottingHint(QCP::phImmediateRefresh, false);
    plot->layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
    plot->xAxis->setVisible(false);
    plot->yAxis->setVisible(false);
    plot->plotLayout()->setAutoMargins(QCP::msNone);
    plot->plotLayout()->setMargins(QMargins(-15, -15, -15, -16));
    for (QCPAxis *axis : {plot->xAxis, plot->yAxis}) {
        axis->setTicker(QSharedPointer<QCPAxisTicker>::create());
        axis->setScaleType(QCPAxis::stLinear);
        axis->setNumberFormat(QStringLiteral("f"));
        axis->setNumberPrecision(0);
    }

    m_lowerBound = -18.0;
    m_upperBound = 9.0;
    m_form->histogramGrid->setValueRange(m_lowerBound, m_upperBound, 3.0);
    m_form->histogramTexts->setValueRange(m_lowerBound, m_upperBound, 3.0);
    fitTextRoom();

    const QPen pen = plotValuePen(PlotValueM);
    m_bars->setData(m_barData);
    m_bars->setWidth(1.0);
    m_bars->setPen(Qt::NoPen);
    m_bars->setBrush(QBrush(pen.color(), Qt::SolidPattern));
    plot->addLayer(QStringLiteral("abovemain"), plot->layer(QStringLiteral("main")),
                   QCustomPlot::limAbove);
    m_bars->setLayer(QStringLiteral("abovemain"));

    connect(plot->xAxis, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), plot->xAxis2,
            qOverload<const QCPRange &>(&QCPAxis::setRange));
    connect(plot->yAxis, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), plot->yAxis2,
            qOverload<const QCPRange &>(&QCPAxis::setRange));
}

void NUVHistogramPlot::onUpdateHistogram(QList<double> counts, double firstEdge, double,
                                         double width, double reference)
{
    // The window hands the same calculation every 50 ms; the bars stand as they are.
    if (m_drawn && counts == m_drawnCounts && firstEdge == m_drawnFirstEdge &&
        width == m_drawnWidth && reference == m_drawnReference)
        return;
    m_drawn = true;
    m_drawnCounts = counts;
    m_drawnFirstEdge = firstEdge;
    m_drawnWidth = width;
    m_drawnReference = reference;
    if (width > 0.0)
        m_bars->setWidth(width * 0.96);
    m_barData->clear();
    // Kept as a double: a truncated largest count would clip the tallest bar.
    double largestCount = 0.0;
    for (int i = 0; i < counts.size(); ++i) {
        const double key = i * width + firstEdge - reference;
        if (key < m_lowerBound || key > m_upperBound)
            continue;
        largestCount = qMax(largestCount, counts[i]);
        m_barData->add(QCPBarsData(key, counts[i]));
    }
    QCustomPlot *plot = m_form->customPlot;
    plot->xAxis->setRange(m_lowerBound, m_upperBound - m_lowerBound, Qt::AlignLeft);
    plot->yAxis->setRange(0.0, largestCount + largestCount / 10.0);
    plot->replot();
}

void NUVHistogramPlot::fitTextRoom()
{
    Form &f = *m_form;
    const NUVHistogramPlotGrid *texts = f.histogramTexts;
    const int left = texts->leftMargin();
    const int right = texts->rightMargin();
    const int top = texts->textsHeight();
    if (f.leftSpacer->sizeHint().width() == left && f.rightSpacer->sizeHint().width() == right &&
        f.plot->contentsMargins().top() == top)
        return;
    // The bars stand between the same columns as the grid's lines, and under the texts.
    f.leftSpacer->changeSize(left, 1, QSizePolicy::Fixed, QSizePolicy::Minimum);
    f.rightSpacer->changeSize(right, 1, QSizePolicy::Fixed, QSizePolicy::Minimum);
    f.plot->setContentsMargins(0, top, 0, 0);
    f.plot->invalidate();
}

void NUVHistogramPlot::resizeEvent(QResizeEvent *event)
{
    fitTextRoom();
    if (m_form->histogramGrid)
        m_form->histogramGrid->resizeGrid(event->size());
    if (m_form->histogramTexts)
        m_form->histogramTexts->resizeGrid(
            QSize(event->size().width(),
                  std::min(event->size().height(), m_form->histogramTexts->textsHeight())));
    QWidget::resizeEvent(event);
}
