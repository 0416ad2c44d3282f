#include "WrappingLabel.h"

#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <QTextOption>

#include <cmath>

WrappingLabel::WrappingLabel(QWidget *parent) : QLabel(parent)
{
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
}

qreal WrappingLabel::layOut(QTextLayout &layout, qreal width) const
{
    QString text = this->text();
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    layout.setText(text);
    layout.setFont(font());
    QTextOption option(alignment() & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

bool WrappingLabel::hasHeightForWidth() const
{
    return true;
}

int WrappingLabel::heightForWidth(int width) const
{
    const QMargins margins = contentsMargins();
    QTextLayout layout;
    const qreal height = layOut(layout, width - margins.left() - margins.right());
    return static_cast<int>(std::ceil(height)) + margins.top() + margins.bottom();
}

QSize WrappingLabel::sizeHint() const
{
    const int width = QLabel::sizeHint().width();
    return QSize(width, heightForWidth(maximumWidth() < QWIDGETSIZE_MAX ? maximumWidth() : width));
}

QSize WrappingLabel::minimumSizeHint() const
{
    return sizeHint();
}

void WrappingLabel::paintEvent(QPaintEvent *)
{
    const QRect area = contentsRect();
    QTextLayout layout;
    const qreal height = layOut(layout, area.width());
    qreal top = area.top();
    if (alignment() & Qt::AlignVCenter)
        top += std::max<qreal>(0, (area.height() - height) / 2);
    else if (alignment() & Qt::AlignBottom)
        top += std::max<qreal>(0, area.height() - height);
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   foregroundRole()));
    layout.draw(&painter, QPointF(area.left(), top));
}
