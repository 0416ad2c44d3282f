#include "NUVSelector.h"

#include "FormHelpers.h"
#include "NUVMarker.h"

#include <QGridLayout>
#include <QResizeEvent>

#include <qcustomplot.h>

namespace {

// Markers closer than this would mark no span worth measuring.
constexpr qint64 kMinimumMarkerGapMs = 3000;

// A column for a widget position. Times years away from a 30 s range lie billions of columns
// off; they stay off-screen instead of wrapping around into view.
int toColumn(qint64 position)
{
    constexpr qint64 kFarOff = qint64(1) << 30;
    return static_cast<int>(qBound(-kFarOff, position, kFarOff));
}

} // namespace

struct NUVSelector::Form
{
    QGridLayout *gridLayout = nullptr;
    QWidget *parentWrapper = nullptr;
    NUVMarker *markerA = nullptr;
    NUVMarker *markerB = nullptr;
    QWidget *markerRect = nullptr;
};

NUVSelector::NUVSelector(QWidget *parent) : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    m_form->markerA->setMarkerType(0);
    m_form->markerB->setMarkerType(1);
    updateALimits();
    updateBLimits();
    for (NUVMarker *marker : {m_form->markerA, m_form->markerB}) {
        connect(marker, &NUVMarker::markerPositionChanged, this,
                &NUVSelector::onMarkerPositionChanged);
        connect(marker, &NUVMarker::markerStateChanged, this, &NUVSelector::onMarkerStateChanged);
    }
    updateMarkersGeometry();
}

NUVSelector::~NUVSelector() = default;

void NUVSelector::setupForm()
{
    setWindowTitle(QStringLiteral("Form"));
    resize(1440, 320);
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);

    Form &f = *m_form;
    f.gridLayout = makeFormGrid(this, "gridLayout");

    f.parentWrapper = new QWidget(this);
    f.parentWrapper->setObjectName(QStringLiteral("parentWrapper"));
    f.parentWrapper->setSizePolicy(minimumExpanding(1));
    // No minimum width: the selector lies over the plot and must never make it wider.
    f.parentWrapper->setMinimumSize(0, 251);
    f.gridLayout->addWidget(f.parentWrapper, 0, 0);

    QSizePolicy markerPolicy(QSizePolicy::Fixed, QSizePolicy::MinimumExpanding);
    markerPolicy.setVerticalStretch(1);
    f.markerA = new NUVMarker(f.parentWrapper);
    f.markerA->setObjectName(QStringLiteral("markerA"));
    f.markerB = new NUVMarker(f.parentWrapper);
    f.markerB->setObjectName(QStringLiteral("markerB"));
    f.markerRect = new QWidget(f.parentWrapper);
    f.markerRect->setObjectName(QStringLiteral("markerRect"));
    f.markerRect->setStyleSheet(QStringLiteral("background-color: rgba(0,0,0,64);"));
    for (QWidget *widget : {static_cast<QWidget *>(f.markerA), static_cast<QWidget *>(f.markerB)})
        widget->setGeometry(0, 0, 36, 52);
    f.markerRect->setGeometry(0, 0, 100, 30);
    for (QWidget *widget :
         {static_cast<QWidget *>(f.markerA), static_cast<QWidget *>(f.markerB), f.markerRect})
        widget->setSizePolicy(markerPolicy);
    f.markerRect->raise();
    f.markerA->raise();
    f.markerB->raise();
}

NUVMarker *NUVSelector::markerA() const
{
    return m_form->markerA;
}

NUVMarker *NUVSelector::markerB() const
{
    return m_form->markerB;
}

QWidget *NUVSelector::markerRect() const
{
    return m_form->markerRect;
}

qint64 NUVSelector::timeToPosition(qint64 time) const
{
    const qint64 span = m_rangeEnd - m_rangeStart;
    if (width() == 0 || span == 0)
        return 0;
    return (time - m_rangeStart) * width() / span;
}

qint64 NUVSelector::positionToTime(qint64 column) const
{
    const qint64 span = m_rangeEnd - m_rangeStart;
    if (width() == 0 || span == 0)
        return 0;
    return span * column / width() + m_rangeStart;
}

void NUVSelector::takeRange(QCPAxis *axis)
{
    m_rangeStart = static_cast<qint64>(axis->range().lower * 1000.0);
    m_rangeEnd = static_cast<qint64>(axis->range().upper * 1000.0);
}

void NUVSelector::updatePositions()
{
    m_positionA = timeToPosition(m_timeA);
    m_positionB = timeToPosition(m_timeB);
    m_positionMin = timeToPosition(m_minTime);
    m_positionMax = timeToPosition(m_maxTime);
    const qint64 span = m_rangeEnd - m_rangeStart;
    m_minimumGap = width() == 0 || span == 0 ? 0 : kMinimumMarkerGapMs * width() / span;
    updateALimits();
    updateBLimits();
    updateMarkersGeometry();
}

void NUVSelector::setMarkerTimes(qint64 minTime, qint64 maxTime, qint64 timeA, qint64 timeB,
                                 QCPAxis *axis)
{
    m_minTime = minTime;
    m_maxTime = maxTime;
    m_timeA = timeA;
    m_timeB = timeB;
    if (axis)
        takeRange(axis);
    updatePositions();
}

void NUVSelector::resizeSelector(QResizeEvent *event, QCPAxis *axis)
{
    if (axis)
        takeRange(axis);
    updatePositions();
    if (event) {
        for (NUVMarker *marker : {m_form->markerA, m_form->markerB})
            marker->resize(marker->width(), event->size().height());
    }
    updateMarkersGeometry();
}

// The limits come from the stored positions, where every layout puts the markers, so that
// a marker still held by a drag does not move the other's limit.
void NUVSelector::updateALimits()
{
    NUVMarker *a = m_form->markerA;
    NUVMarker *b = m_form->markerB;
    a->setLimits(QPoint(toColumn(m_positionMin), a->y()),
                 QPoint(toColumn(m_positionB - m_minimumGap), b->y()));
    updateMarkersGeometry();
}

void NUVSelector::updateBLimits()
{
    NUVMarker *a = m_form->markerA;
    NUVMarker *b = m_form->markerB;
    b->setLimits(QPoint(toColumn(m_positionA + m_minimumGap), a->y()),
                 QPoint(toColumn(m_positionMax), b->y()));
    updateMarkersGeometry();
}

void NUVSelector::updateMarkersGeometry()
{
    NUVMarker *a = m_form->markerA;
    NUVMarker *b = m_form->markerB;
    a->setCenterX(toColumn(m_positionA));
    b->setCenterX(toColumn(m_positionB));
    if (a->getState() && b->getState()) {
        m_form->markerRect->setGeometry(a->getCenterX(), 0, b->getCenterX() - a->getCenterX(),
                                        height());
        m_form->markerRect->show();
    } else {
        m_form->markerRect->hide();
    }
}

void NUVSelector::onMarkerPositionChanged()
{
    const int centerA = m_form->markerA->getCenterX();
    const int centerB = m_form->markerB->getCenterX();
    qint64 timeA = m_timeA;
    qint64 timeB = m_timeB;
    if (centerA != toColumn(m_positionA))
        timeA = centerA == toColumn(m_positionMin) ? m_minTime : positionToTime(centerA);
    else if (centerB != toColumn(m_positionB))
        timeB = centerB == toColumn(m_positionMax) ? m_maxTime : positionToTime(centerB);
    emit markerPositionsChanged(timeA, timeB);
    // Back to the stored places until the accepted times arrive.
    updateALimits();
    updateBLimits();
    updateMarkersGeometry();
}

void NUVSelector::onMarkerStateChanged(bool)
{
    emit markerToggle(m_form->markerA->getState() && m_form->markerB->getState());
    updateMarkersGeometry();
}

void NUVSelector::showMarkers()
{
    if (isHidden()) {
        m_form->markerA->setState(true);
        m_form->markerB->setState(true);
        emit markerToggle(m_form->markerA->getState() && m_form->markerB->getState());
        updateMarkersGeometry();
    }
    show();
}
