#include "NUVPlotScaleLabels.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

// Opaque: a picture without alpha is copied, not blended, at every repaint of the plot.
const QColor NUVPlotScaleLabels::kBoxColour(35, 35, 35);

NUVPlotScaleLabels::NUVPlotScaleLabels(QWidget *parent) : QWidget(parent)
{
    // Clicks, drags and wheel turns belong to the plot and the markers.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

NUVPlotScaleLabels::~NUVPlotScaleLabels() = default;

QRect NUVPlotScaleLabels::boxOf(const Label &label) const
{
    const QFontMetrics metrics = fontMetrics();
    return QRect(label.baseline.x() - kPadding, label.baseline.y() - metrics.ascent() - kPadding,
                 metrics.horizontalAdvance(label.text) + 2 * kPadding,
                 metrics.height() + 2 * kPadding);
}

void NUVPlotScaleLabels::setLabels(const QVector<Label> &labels)
{
    if (labels == m_labels)
        return;
    QRegion dirty;
    for (const QRect &box : qAsConst(m_boxes))
        dirty += box;
    m_labels = labels;
    m_pictures.clear();
    m_boxes.clear();
    const qreal ratio = devicePixelRatioF();
    for (const Label &label : qAsConst(m_labels)) {
        const QRect box = boxOf(label);
        QPixmap picture(box.size() * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(kBoxColour);
        QPainter painter(&picture);
        painter.setFont(font());
        painter.setPen(label.colour);
        painter.drawText(label.baseline - box.topLeft(), label.text);
        painter.end();
        m_pictures.append(picture);
        m_boxes.append(box);
        dirty += box;
    }
    update(dirty);
}

void NUVPlotScaleLabels::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    for (int i = 0; i < m_boxes.size(); ++i) {
        if (event->region().intersects(m_boxes[i]))
            painter.drawPixmap(m_boxes[i].topLeft(), m_pictures[i]);
    }
}
