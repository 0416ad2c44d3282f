#include "InkedTiles.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr int kTileWidth = 64;
constexpr int kTileHeight = 8;

bool inked(const QImage &image, const QRect &tile)
{
    for (int y = tile.top(); y <= tile.bottom(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = tile.left(); x <= tile.right(); ++x) {
            if (qAlpha(row[x]) != 0)
                return true;
        }
    }
    return false;
}

} // namespace

void InkedTiles::scan(const QPixmap &picture)
{
    m_tiles.clear();
    const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); y += kTileHeight) {
        QRect run;
        for (int x = 0; x < image.width(); x += kTileWidth) {
            const QRect tile = QRect(x, y, kTileWidth, kTileHeight) & image.rect();
            if (inked(image, tile)) {
                run = run.isNull() ? tile : run.united(tile);
            } else if (!run.isNull()) {
                m_tiles.append(run);
                run = QRect();
            }
        }
        if (!run.isNull())
            m_tiles.append(run);
    }
}

void InkedTiles::paint(QPainter &painter, const QPixmap &picture, const QRect &area) const
{
    const qreal ratio = picture.devicePixelRatio();
    for (const QRect &tile : m_tiles) {
        const QRectF target(tile.x() / ratio, tile.y() / ratio, tile.width() / ratio,
                            tile.height() / ratio);
        if (target.intersects(area))
            painter.drawPixmap(target, picture, QRectF(tile));
    }
}

bool InkedTiles::paintLabel(QLabel *label, const QRect &area) const
{
    const QPixmap picture = label->pixmap(Qt::ReturnByValue);
    if (picture.isNull() || picture.size() / picture.devicePixelRatio() != label->size())
        return false;
    QPainter painter(label);
    paint(painter, picture, area);
    return true;
}
