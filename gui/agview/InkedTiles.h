#pragma once

#include <QRect>
#include <QVector>

class QLabel;
class QPainter;
class QPixmap;

// The tiles of a mostly transparent picture that hold something. The plot's grid and
// threshold layers are pictures of the plot's full size with a few lines on them, painted
// under the transparent curves whenever these move; painting only their inked tiles spares
// blending the empty rest.
class InkedTiles
{
public:
    // Notes the tiles of the picture that are not wholly transparent.
    void scan(const QPixmap &picture);
    // Paints the noted tiles of the picture that meet the area, at the widget's origin.
    void paint(QPainter &painter, const QPixmap &picture, const QRect &area) const;
    // Paints the label's own picture that way; false when the picture is not of the label's
    // size, which the label then places itself.
    bool paintLabel(QLabel *label, const QRect &area) const;

private:
    // In the picture's pixels, runs of inked tiles merged along each tile row.
    QVector<QRect> m_tiles;
};
