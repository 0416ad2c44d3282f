// Draws the program's embedded pictures into a resources folder:
//   kiv_imagegen <resources folder>
// Every picture is plain shapes in the program's dark grey look, so the set can be
// redrawn at any time and stays consistent.

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace {

const QColor kDark(0x25, 0x25, 0x25);
const QColor kMid(70, 70, 70);
const QColor kLight(0xD3, 0xD3, 0xD3);
const QColor kLightShade(0xA5, 0xA5, 0xA5);

struct Picture
{
    QString path; // relative to the resources folder, as in the resource file
    QSize size;
    std::function<void(QPainter &, const QSize &)> draw;
};

QFont sansFont(int pixelSize, int weight = QFont::Bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void drawLamp(QPainter &p, const QSize &size, const QColor &colour)
{
    const QRectF r(1.5, 1.5, size.width() - 3.0, size.height() - 3.0);
    // Dark rim, then the lit glass with a highlight towards the top left.
    p.setPen(QPen(QColor(0x14, 0x14, 0x14), 1.5));
    p.setBrush(QColor(0x2c, 0x2c, 0x2c));
    p.drawEllipse(r);
    QRadialGradient glass(r.center() - QPointF(3, 4), r.width() * 0.62);
    glass.setColorAt(0.0, colour.lighter(165));
    glass.setColorAt(0.45, colour);
    glass.setColorAt(1.0, colour.darker(190));
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawEllipse(r.adjusted(2, 2, -2, -2));
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawEllipse(QRectF(r.left() + 7, r.top() + 5, r.width() * 0.34, r.height() * 0.22));
}

void drawCheckBox(QPainter &p, bool checked, bool enabled)
{
    const QRectF box(1.5, 3.5, 21, 21);
    QLinearGradient face(box.topLeft(), box.bottomLeft());
    face.setColorAt(0, enabled ? QColor(0x58, 0x58, 0x58) : QColor(0x4a, 0x4a, 0x4a));
    face.setColorAt(1, enabled ? QColor(0x3a, 0x3a, 0x3a) : QColor(0x40, 0x40, 0x40));
    p.setPen(QPen(enabled ? QColor(0xb4, 0xb4, 0xb4) : QColor(0x76, 0x76, 0x76), 1));
    p.setBrush(face);
    p.drawRoundedRect(box, 3, 3);
    if (!checked)
        return;
    // The tick leaves the box to the right, which is why the checked pictures are wider.
    QPainterPath tick;
    tick.moveTo(5.5, 13.5);
    tick.lineTo(11.5, 20.0);
    tick.lineTo(29.0, 3.0);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 110), 5.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick.translated(0.8, 0.8));
    p.setPen(QPen(enabled ? QColor(0x46, 0xe0, 0x46) : QColor(0x8a, 0x9a, 0x8a), 3.6, Qt::SolidLine,
                  Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
}

void drawArrow(QPainter &p, const QSize &size, Qt::ArrowType direction)
{
    const double cx = size.width() / 2.0;
    const double cy = size.height() / 2.0;
    const double h = 5.0; // half the base, and the height, of the triangle
    QPolygonF tri;
    switch (direction) {
    case Qt::UpArrow:
        tri << QPointF(cx - h, cy + h / 2) << QPointF(cx + h, cy + h / 2)
            << QPointF(cx, cy - h / 2 - 1);
        break;
    case Qt::DownArrow:
        tri << QPointF(cx - h, cy - h / 2) << QPointF(cx + h, cy - h / 2)
            << QPointF(cx, cy + h / 2 + 1);
        break;
    case Qt::LeftArrow:
        tri << QPointF(cx + h / 2, cy - h) << QPointF(cx + h / 2, cy + h)
            << QPointF(cx - h / 2 - 1, cy);
        break;
    default:
        tri << QPointF(cx - h / 2, cy - h) << QPointF(cx - h / 2, cy + h)
            << QPointF(cx + h / 2 + 1, cy);
        break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xb4, 0xb4, 0xb4));
    p.drawPolygon(tri);
}

// A scroll-bar handle. Its style sheet cuts the picture into border-image slices (vertical:
// 19 26 19 26, horizontal: 27 26 27 26) and draws them into a 30 px bar with 28 px borders,
// so the two slices across the bar overlap: the near one lands on pixels 0..27, the far one
// (right, resp. bottom) on pixels 2..29. The bar's whole cross-section therefore goes into
// the far slice and the near one stays empty; along the bar the end slices carry the rounded
// ends and the middle slice the straight part that is stretched to the handle's length.
// Drawn for a vertical handle and transposed for a horizontal one.
void drawHandle(QPainter &p, const QSize &size, Qt::Orientation orientation)
{
    constexpr int kBar = 30;
    constexpr int kBorder = 28;
    const bool vertical = orientation == Qt::Vertical;
    const QSize frame = vertical ? size : size.transposed(); // across x along
    const int endCut = vertical ? 19 : 26;
    const int sideCut = vertical ? 26 : 27;
    const int middle = frame.height() - 2 * endCut;

    // The handle as it shows with an unstretched middle.
    QImage shown(kBar, 2 * kBorder + middle, QImage::Format_ARGB32_Premultiplied);
    shown.fill(Qt::transparent);
    {
        QPainter sp(&shown);
        sp.setRenderHint(QPainter::Antialiasing);
        const QRectF bar(5, 2, 20, shown.height() - 4);
        QLinearGradient face(bar.topLeft(), bar.topRight());
        face.setColorAt(0, QColor(0x8c, 0x8c, 0x8c));
        face.setColorAt(1, QColor(0x5e, 0x5e, 0x5e));
        sp.setPen(QPen(QColor(0, 0, 0, 150), 1));
        sp.setBrush(face);
        sp.drawRoundedRect(bar.adjusted(0.5, 0.5, -0.5, -0.5), 9.5, 9.5);
    }

    // Cut it back into the slices the style sheet takes apart.
    QImage picture(frame, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter pp(&picture);
        pp.setRenderHint(QPainter::SmoothPixmapTransform);
        const int farSlice = frame.width() - sideCut;
        const int shownRows[] = {0, kBorder, kBorder + middle, shown.height()};
        const int pictureRows[] = {0, endCut, endCut + middle, frame.height()};
        for (int i = 0; i < 3; ++i) {
            const QRectF from(kBar - kBorder, shownRows[i], kBorder,
                              shownRows[i + 1] - shownRows[i]);
            const QRectF to(farSlice, pictureRows[i], sideCut,
                            pictureRows[i + 1] - pictureRows[i]);
            pp.drawImage(to, shown, from);
        }
    }
    if (!vertical)
        picture = picture.transformed(QTransform(0, 1, 1, 0, 0, 0));
    p.drawImage(0, 0, picture);
}

void drawAlertIcon(QPainter &p, const QSize &size)
{
    const double w = size.width();
    const double hgt = size.height();
    QPainterPath tri;
    tri.moveTo(w / 2, 3);
    tri.lineTo(w - 2, hgt - 4);
    tri.lineTo(2, hgt - 4);
    tri.closeSubpath();
    QLinearGradient face(0, 0, 0, hgt);
    face.setColorAt(0, QColor(0xff, 0xdc, 0x3c));
    face.setColorAt(1, QColor(0xf0, 0xb0, 0x00));
    p.setPen(QPen(QColor(0x5a, 0x46, 0x00), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(face);
    p.drawPath(tri);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1e, 0x1e, 0x1e));
    p.drawRoundedRect(QRectF(w / 2 - 2.5, hgt * 0.33, 5, hgt * 0.34), 2, 2);
    p.drawEllipse(QPointF(w / 2, hgt * 0.78), 3, 3);
}

// The product mark: "KIV" in white on a dark rounded square with a small level meter.
void drawProductIcon(QPainter &p, const QSize &size)
{
    const double s = size.width();
    const QRectF r(0.5, 0.5, s - 1, s - 1);
    QLinearGradient face(r.topLeft(), r.bottomLeft());
    face.setColorAt(0, QColor(0x5a, 0x5a, 0x5a));
    face.setColorAt(1, QColor(0x26, 0x26, 0x26));
    p.setPen(QPen(QColor(0x14, 0x14, 0x14), 1));
    p.setBrush(face);
    p.drawRoundedRect(r, s * 0.18, s * 0.18);
    // Three level bars along the bottom: green, yellow, red.
    const QColor bars[] = {QColor(0x3c, 0xd2, 0x3c), QColor(0xf0, 0xd2, 0x28),
                           QColor(0xe6, 0x3c, 0x32)};
    const double barW = s * 0.2;
    for (int i = 0; i < 3; ++i) {
        const double barH = s * (0.12 + 0.06 * i);
        p.setPen(Qt::NoPen);
        p.setBrush(bars[i]);
        p.drawRect(QRectF(s * 0.17 + i * (barW + s * 0.03), s * 0.86 - barH, barW, barH));
    }
    p.setPen(Qt::white);
    p.setFont(sansFont(qRound(s * 0.36)));
    p.drawText(QRectF(0, s * 0.08, s, s * 0.5), Qt::AlignCenter, QStringLiteral("KIV"));
}

void drawWord(QPainter &p, const QSize &size, const QString &word, const QColor &colour,
              int pixelSize, Qt::Alignment align = Qt::AlignCenter)
{
    QFont font = sansFont(pixelSize);
    font.setLetterSpacing(QFont::AbsoluteSpacing, pixelSize * 0.12);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRectF(QPointF(0, 0), QSizeF(size)), align, word);
}

// The maker's word mark with an underline bar in front: ▌NUV
void drawMakerLogo(QPainter &p, const QSize &size, const QColor &colour)
{
    const double h = size.height();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3c, 0xd2, 0x3c));
    p.drawRect(QRectF(0, h * 0.12, h * 0.28, h * 0.76));
    QSize textArea(size.width() - qRound(h * 0.45), size.height());
    p.translate(h * 0.45, 0);
    drawWord(p, textArea, QStringLiteral("NUV"), colour, qRound(h * 0.82),
             Qt::AlignLeft | Qt::AlignVCenter);
}

void drawSplash(QPainter &p, const QSize &size)
{
    const double w = size.width();
    const double h = size.height();
    QLinearGradient back(0, 0, 0, h);
    back.setColorAt(0, QColor(0x50, 0x50, 0x50));
    back.setColorAt(0.55, QColor(0x32, 0x32, 0x32));
    back.setColorAt(1, QColor(0x1c, 0x1c, 0x1c));
    p.fillRect(QRectF(0, 0, w, h), back);

    // A loudness curve across the upper half, with faint grid lines behind it.
    p.setPen(QPen(QColor(255, 255, 255, 18), 1));
    for (int y = 40; y < 240; y += 30)
        p.drawLine(QPointF(0, y + 0.5), QPointF(w, y + 0.5));
    QPainterPath curve;
    curve.moveTo(0, 170);
    for (int x = 0; x <= w; x += 4) {
        const double y =
            160 + 26 * std::sin(x / 37.0) + 12 * std::sin(x / 11.0 + 1.3) + 6 * std::sin(x / 5.0);
        curve.lineTo(x, y);
    }
    p.setPen(QPen(QColor(2, 254, 255, 70), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.setPen(QPen(QColor(0, 255, 0, 80), 1.5, Qt::DashLine));
    p.drawLine(QPointF(0, 132.5), QPointF(w, 132.5));

    // The product name, left aligned with the version line below it (x 48).
    QFont name = sansFont(120, QFont::Black);
    name.setLetterSpacing(QFont::AbsoluteSpacing, 10);
    p.setFont(name);
    p.setPen(QColor(0, 0, 0, 120));
    p.drawText(QRectF(51, 63, w, 150), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KIV"));
    p.setPen(Qt::white);
    p.drawText(QRectF(48, 60, w, 150), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KIV"));

    p.setFont(sansFont(20, QFont::Normal));
    p.setPen(QColor(0xd3, 0xd3, 0xd3));
    p.drawText(QRectF(52, 212, w, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("LOUDNESS LOGGER"));

    // Level bars on the right, clear of the version line (y 258..292) and the footer.
    const QColor low(0x3c, 0xd2, 0x3c), mid(0xf0, 0xd2, 0x28), high(0xe6, 0x3c, 0x32);
    const int heights[] = {46, 72, 98, 84, 60, 110, 90, 66, 40};
    for (int i = 0; i < 9; ++i) {
        const double x = 400 + i * 22;
        const double top = 400 - heights[i];
        for (double y = 396; y > top; y -= 8) {
            const QColor c = y < 320 ? high : (y < 350 ? mid : low);
            p.fillRect(QRectF(x, y - 5, 16, 5), c);
        }
    }
    // A thin rule above the copyright lines.
    p.fillRect(QRectF(48, 406, w - 96, 1), QColor(255, 255, 255, 60));
}

// The shaded, outlined face of a marker label.
void drawLabelFace(QPainter &p, const QRectF &r, double radius, const QColor &colour)
{
    QLinearGradient face(r.topLeft(), r.bottomLeft());
    face.setColorAt(0, colour.lighter(120));
    face.setColorAt(1, colour.darker(130));
    p.setPen(QPen(QColor(0, 0, 0, 160), 1));
    p.setBrush(face);
    p.drawRoundedRect(r, radius, radius);
}

void drawLabelLetter(QPainter &p, const QRectF &r, const QString &letter)
{
    p.setPen(QColor(0x1a, 0x1a, 0x1a));
    p.setFont(sansFont(18));
    p.drawText(r, Qt::AlignCenter, letter);
}

// Marker flag of the plot: a labelled flag whose pole stands at x 17, where the marker's
// line continues upwards, down to the bottom edge.
void drawMarkerFlag(QPainter &p, const QSize &size, const QString &letter, const QColor &colour)
{
    const double h = size.height();
    p.setPen(Qt::NoPen);
    p.setBrush(colour.darker(140));
    p.drawRect(QRectF(17, 0, 2, h));
    const QRectF flag(3, 6, 30, 26);
    drawLabelFace(p, flag, 4, colour);
    // Pointer from the flag down the pole.
    QPolygonF tip;
    tip << QPointF(12, flag.bottom()) << QPointF(24, flag.bottom())
        << QPointF(18, flag.bottom() + 8);
    p.setPen(Qt::NoPen);
    p.setBrush(colour.darker(130));
    p.drawPolygon(tip);
    drawLabelLetter(p, flag, letter);
}

// Small marker label of the marker panel's "go to" buttons.
void drawMarkerBadge(QPainter &p, const QSize &size, const QString &letter, const QColor &colour)
{
    const QRectF r(2.5, 2.5, size.width() - 5.0, size.height() - 5.0);
    drawLabelFace(p, r, 5, colour);
    drawLabelLetter(p, r, letter);
}

// Event icon: a pole on the left edge (the event's time) with a glyph box at its top.
void drawEventIcon(QPainter &p, const QSize &size, const QColor &colour,
                   const std::function<void(QPainter &, const QRectF &)> &glyph)
{
    const double h = size.height();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd3, 0xd3, 0xd3, 200));
    p.drawRect(QRectF(0, 0, 1, h));
    const QRectF box(1, 0, size.width() - 1.0, size.width() - 1.0);
    p.setBrush(QColor(0x1e, 0x1e, 0x1e, 220));
    p.setPen(QPen(colour, 1));
    p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    glyph(p, box.adjusted(4, 4, -4, -4));
}

std::vector<Picture> pictures()
{
    const QColor green(0x3c, 0xd2, 0x3c), red(0xe6, 0x3c, 0x32), yellow(0xf0, 0xd2, 0x28);
    const QColor gray(0x6e, 0x6e, 0x6e), white(0xf0, 0xf0, 0xf0);
    std::vector<Picture> list;
    auto add = [&list](const char *path, QSize size,
                       std::function<void(QPainter &, const QSize &)> f) {
        list.push_back({QString::fromLatin1(path), size, std::move(f)});
    };

    const std::pair<const char *, QColor> lamps[] = {
        {"gray", gray}, {"green", green}, {"red", red}, {"yellow", yellow}};
    for (const auto &lamp : lamps) {
        const QColor c = lamp.second;
        const QString path =
            QStringLiteral("gui/menubar/aglistview/Semaphore/semaphore_%1_light.png")
                .arg(QLatin1String(lamp.first));
        list.push_back(
            {path, QSize(31, 31), [c](QPainter &p, const QSize &s) { drawLamp(p, s, c); }});
    }

    add("components/components/checkboxon.png", {32, 26},
        [](QPainter &p, const QSize &) { drawCheckBox(p, true, true); });
    add("components/components/checkboxoff.png", {25, 26},
        [](QPainter &p, const QSize &) { drawCheckBox(p, false, true); });
    add("components/components/checkboxondisabled.png", {32, 26},
        [](QPainter &p, const QSize &) { drawCheckBox(p, true, false); });
    add("components/components/checkboxoffdisabled.png", {25, 26},
        [](QPainter &p, const QSize &) { drawCheckBox(p, false, false); });

    add("components/components/ScrollBar/Vertical/scroll-bar_vertical.png", {56, 64},
        [](QPainter &p, const QSize &s) { drawHandle(p, s, Qt::Vertical); });
    add("components/components/ScrollBar/Vertical/scroll-bar_arrow_up.png", {30, 30},
        [](QPainter &p, const QSize &s) { drawArrow(p, s, Qt::UpArrow); });
    add("components/components/ScrollBar/Vertical/scroll-bar_arrow_down.png", {30, 30},
        [](QPainter &p, const QSize &s) { drawArrow(p, s, Qt::DownArrow); });
    add("components/components/ScrollBar/Horizontal/PlotHorizontal/scroll-bar-horizontal.png",
        {64, 58}, [](QPainter &p, const QSize &s) { drawHandle(p, s, Qt::Horizontal); });
    add("components/components/ScrollBar/Horizontal/scroll-bar_arrow_left.png", {22, 30},
        [](QPainter &p, const QSize &s) { drawArrow(p, s, Qt::LeftArrow); });
    add("components/components/ScrollBar/Horizontal/scroll-bar_arrow_right.png", {22, 30},
        [](QPainter &p, const QSize &s) { drawArrow(p, s, Qt::RightArrow); });

    add("dialog/dialog/IconMessageboxAlertYellow.png", {48, 48}, drawAlertIcon);

    add("gui/menubar/kiv_icon.png", {64, 64}, drawProductIcon);
    add("gui/menubar/kiv_icon.ico", {48, 48}, drawProductIcon);
    add("gui/menubar/kiv_splashscreen.png", {640, 480}, drawSplash);
    add("gui/menubar/menubar_logo.png", {44, 20}, [](QPainter &p, const QSize &s) {
        drawWord(p, s, QStringLiteral("KIV"), QColor(0x41, 0x41, 0x41), 16);
    });
    add("main/NUV_logo.png", {86, 16},
        [white](QPainter &p, const QSize &s) { drawMakerLogo(p, s, white); });
    add("main/NUV_logo_black.png", {200, 40},
        [](QPainter &p, const QSize &s) { drawMakerLogo(p, s, Qt::black); });

    add("markers/agview/markers/markerA.png", {36, 52}, [](QPainter &p, const QSize &s) {
        drawMarkerFlag(p, s, QStringLiteral("A"), QColor(0xf0, 0xb4, 0x28));
    });
    add("markers/agview/markers/markerB.png", {36, 52}, [](QPainter &p, const QSize &s) {
        drawMarkerFlag(p, s, QStringLiteral("B"), QColor(0x5a, 0xb4, 0xf0));
    });
    add("markers/agview/markers/MarkerAn.png", {35, 34}, [](QPainter &p, const QSize &s) {
        drawMarkerBadge(p, s, QStringLiteral("A"), QColor(0xf0, 0xb4, 0x28));
    });
    add("markers/agview/markers/MarkerBn.png", {35, 35}, [](QPainter &p, const QSize &s) {
        drawMarkerBadge(p, s, QStringLiteral("B"), QColor(0x5a, 0xb4, 0xf0));
    });

    const QSize eventSize(19, 24);
    add("plot/events/agview/events/eventPlay.png", eventSize, [green](QPainter &p, const QSize &s) {
        drawEventIcon(p, s, green, [](QPainter &q, const QRectF &r) {
            QPolygonF tri;
            tri << r.topLeft() + QPointF(1, 0) << r.bottomLeft() + QPointF(1, 0)
                << QPointF(r.right(), r.center().y());
            q.drawPolygon(tri);
        });
    });
    add("plot/events/agview/events/eventStop.png", eventSize, [red](QPainter &p, const QSize &s) {
        drawEventIcon(p, s, red, [](QPainter &q, const QRectF &r) {
            q.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
        });
    });
    add("plot/events/agview/events/eventReset.png", eventSize,
        [yellow](QPainter &p, const QSize &s) {
            drawEventIcon(p, s, yellow, [yellow](QPainter &q, const QRectF &r) {
                // An open circle with an arrow head: "start again".
                q.setBrush(Qt::NoBrush);
                q.setPen(QPen(yellow, 1.8, Qt::SolidLine, Qt::FlatCap));
                q.drawArc(r.adjusted(0.5, 0.5, -0.5, -0.5), 60 * 16, 290 * 16);
                q.setPen(Qt::NoPen);
                q.setBrush(yellow);
                const QPointF end(r.center().x() + r.width() / 2 * std::cos(M_PI / 3),
                                  r.center().y() - r.height() / 2 * std::sin(M_PI / 3));
                QPolygonF head;
                head << end + QPointF(-3.5, -2.5) << end + QPointF(2.5, -3.5)
                     << end + QPointF(1, 2.5);
                q.drawPolygon(head);
            });
        });
    add("plot/events/agview/events/eventMulti.png", eventSize,
        [white](QPainter &p, const QSize &s) {
            drawEventIcon(p, s, white, [](QPainter &q, const QRectF &r) {
                // Three stacked dots: several events merged into one icon.
                const double d = r.width() / 4.0;
                for (int i = -1; i <= 1; ++i)
                    q.drawEllipse(QPointF(r.center().x() + i * d * 1.3, r.center().y()),
                                  d / 2 + 0.3, d / 2 + 0.3);
            });
        });
    return list;
}

bool writePicture(const QString &root, const Picture &picture)
{
    QImage image(picture.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        picture.draw(painter, picture.size);
    }
    const QString file = QDir(root).filePath(picture.path);
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    const QByteArray format = picture.path.endsWith(QLatin1String(".ico")) ? "ico" : "png";
    QImageWriter writer(file, format);
    if (writer.canWrite() && writer.write(image.convertToFormat(QImage::Format_ARGB32)))
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(picture.path), qPrintable(writer.errorString()));
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    // Text needs a font database, which needs a GUI application; no window is opened.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resources folder>\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    int failures = 0;
    for (const Picture &picture : pictures()) {
        if (writePicture(root, picture))
            std::printf("%s %dx%d\n", qPrintable(picture.path), picture.size.width(),
                        picture.size.height());
        else
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
