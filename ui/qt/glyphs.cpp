#include "ui/qt/glyphs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <numbers>

namespace kalvora {

namespace {

// Every glyph is drawn on a 32 by 32 grid and scaled.
constexpr double kGrid = 32.0;

const QColor kArrow(44, 90, 160);
const QColor kGreen(46, 139, 60);
const QColor kRed(196, 43, 43);
const QColor kOutline(60, 60, 70);

QLinearGradient vertical(double top, double bottom, const QColor& light, const QColor& dark)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    return g;
}

void triangle(QPainter& p, QPointF a, QPointF b, QPointF c)
{
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.fillPath(path, vertical(7, 25, kArrow.lighter(150), kArrow));
    p.setPen(QPen(kArrow.darker(130), 1));
    p.drawPath(path);
}

void bar(QPainter& p, double x)
{
    const QRectF r(x, 7, 3.5, 18);
    p.fillRect(r, vertical(7, 25, kArrow.lighter(150), kArrow));
    p.setPen(QPen(kArrow.darker(130), 1));
    p.drawRect(r);
}

void plusOrMinus(QPainter& p, const QColor& color, bool plus)
{
    p.setPen(QPen(color.darker(130), 1));
    p.setBrush(vertical(6, 26, color.lighter(140), color));
    p.drawRoundedRect(QRectF(5, 13, 22, 6), 2, 2);
    if (plus)
        p.drawRoundedRect(QRectF(13, 5, 6, 22), 2, 2);
}

void cross(QPainter& p)
{
    p.setPen(QPen(kRed, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9, 9), QPointF(23, 23));
    p.drawLine(QPointF(23, 9), QPointF(9, 23));
}

void cylinder(QPainter& p, QRectF r, const QColor& color)
{
    const double cap = r.height() / 5;
    QPainterPath body;
    body.moveTo(r.left(), r.top() + cap / 2);
    body.lineTo(r.left(), r.bottom() - cap / 2);
    body.arcTo(QRectF(r.left(), r.bottom() - cap, r.width(), cap), 180, 180);
    body.lineTo(r.right(), r.top() + cap / 2);
    body.closeSubpath();
    QLinearGradient side(r.left(), 0, r.right(), 0);
    side.setColorAt(0, color.darker(115));
    side.setColorAt(0.35, color.lighter(150));
    side.setColorAt(1, color.darker(140));
    p.setPen(QPen(color.darker(170), 1));
    p.setBrush(side);
    p.drawPath(body);
    p.setBrush(color.lighter(165));
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), cap));
    p.setPen(QPen(color.darker(125), 1));
    p.setBrush(Qt::NoBrush);
    for (int band = 1; band <= 2; ++band) {
        const double y = r.top() + cap / 2 + band * (r.height() - cap) / 3;
        p.drawArc(QRectF(r.left(), y - cap / 2, r.width(), cap), 180 * 16, 180 * 16);
    }
}

void badge(QPainter& p, QPointF centre, const QColor& color)
{
    p.setPen(QPen(color.darker(140), 1));
    p.setBrush(vertical(centre.y() - 7, centre.y() + 7, color.lighter(150), color));
    p.drawEllipse(centre, 7, 7);
}

void gear(QPainter& p)
{
    const QPointF c(16, 16);
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * std::numbers::pi / teeth;
        const double a1 = (i + 0.5) * std::numbers::pi / teeth;
        const double r = i % 2 == 0 ? 14.0 : 10.5;
        const QPointF p0 = c + QPointF(r * std::cos(a0), r * std::sin(a0));
        const QPointF p1 = c + QPointF(r * std::cos(a1), r * std::sin(a1));
        if (i == 0)
            path.moveTo(p0);
        else
            path.lineTo(p0);
        path.lineTo(p1);
    }
    path.closeSubpath();
    path.addEllipse(c, 4.5, 4.5);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(QPen(QColor(70, 75, 85), 1));
    p.setBrush(vertical(2, 30, QColor(190, 196, 206), QColor(112, 120, 134)));
    p.drawPath(path);
}

void envelope(QPainter& p)
{
    const QRectF r(3, 8, 20, 15);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(vertical(8, 23, Qt::white, QColor(222, 226, 234)));
    p.drawRect(r);
    p.drawLine(r.topLeft(), QPointF(r.center().x(), r.top() + 8));
    p.drawLine(r.topRight(), QPointF(r.center().x(), r.top() + 8));
    QPainterPath arrow;
    arrow.moveTo(15, 17);
    arrow.lineTo(22, 17);
    arrow.lineTo(22, 12);
    arrow.lineTo(30, 20);
    arrow.lineTo(22, 28);
    arrow.lineTo(22, 23);
    arrow.lineTo(15, 23);
    arrow.closeSubpath();
    p.setPen(QPen(kGreen.darker(140), 1));
    p.setBrush(vertical(12, 28, kGreen.lighter(150), kGreen));
    p.drawPath(arrow);
}

void door(QPainter& p)
{
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.setBrush(vertical(3, 29, QColor(196, 146, 92), QColor(140, 94, 50)));
    p.drawRect(QRectF(5, 3, 14, 26));
    p.setBrush(QColor(240, 210, 90));
    p.drawEllipse(QPointF(16, 17), 1.5, 1.5);
    QPainterPath arrow;
    arrow.moveTo(13, 13);
    arrow.lineTo(21, 13);
    arrow.lineTo(21, 8);
    arrow.lineTo(30, 16);
    arrow.lineTo(21, 24);
    arrow.lineTo(21, 19);
    arrow.lineTo(13, 19);
    arrow.closeSubpath();
    p.setPen(QPen(kRed.darker(140), 1));
    p.setBrush(vertical(8, 24, kRed.lighter(150), kRed));
    p.drawPath(arrow);
}

void floppy(QPainter& p)
{
    QPainterPath body;
    body.moveTo(4, 4);
    body.lineTo(24, 4);
    body.lineTo(28, 8);
    body.lineTo(28, 28);
    body.lineTo(4, 28);
    body.closeSubpath();
    p.setPen(QPen(QColor(30, 50, 100), 1));
    p.setBrush(vertical(4, 28, QColor(90, 130, 210), QColor(40, 70, 150)));
    p.drawPath(body);
    p.setBrush(QColor(200, 205, 215));
    p.drawRect(QRectF(9, 4, 13, 8));
    p.setBrush(QColor(60, 80, 120));
    p.drawRect(QRectF(17, 5.5, 3, 5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 16, 16, 12));
    p.setPen(QPen(QColor(150, 160, 180), 1));
    p.drawLine(QPointF(10, 20), QPointF(22, 20));
    p.drawLine(QPointF(10, 24), QPointF(22, 24));
}

void key(QPainter& p)
{
    const QColor gold(214, 168, 40);
    p.setPen(QPen(gold.darker(160), 1));
    p.setBrush(vertical(4, 28, gold.lighter(140), gold));
    QPainterPath path;
    path.addEllipse(QPointF(10, 16), 7, 7);
    path.addRect(QRectF(15, 14, 14, 4));
    path.addRect(QRectF(23, 18, 3, 5));
    path.addRect(QRectF(27, 18, 2, 4));
    path.setFillRule(Qt::WindingFill);
    p.drawPath(path.simplified());
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8.5, 16), 2.5, 2.5);
}

void padlock(QPainter& p)
{
    p.setPen(QPen(QColor(120, 125, 135), 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(9, 3, 14, 16), 0, 180 * 16);
    p.drawLine(QPointF(9, 11), QPointF(9, 15));
    p.drawLine(QPointF(23, 11), QPointF(23, 15));
    const QColor gold(214, 168, 40);
    p.setPen(QPen(gold.darker(160), 1));
    p.setBrush(vertical(14, 29, gold.lighter(140), gold));
    p.drawRoundedRect(QRectF(6, 14, 20, 15), 2, 2);
    p.setBrush(QColor(80, 60, 20));
    p.drawEllipse(QPointF(16, 20), 2, 2);
    p.drawRect(QRectF(15.2, 21, 1.6, 4));
}

void draw(QPainter& p, Glyph glyph)
{
    switch (glyph) {
    case Glyph::First:
        bar(p, 6);
        triangle(p, {25, 7}, {25, 25}, {11, 16});
        break;
    case Glyph::Prior:
        triangle(p, {22, 7}, {22, 25}, {8, 16});
        break;
    case Glyph::Next:
        triangle(p, {10, 7}, {10, 25}, {24, 16});
        break;
    case Glyph::Last:
        triangle(p, {7, 7}, {7, 25}, {21, 16});
        bar(p, 22.5);
        break;
    case Glyph::Insert:
        plusOrMinus(p, kGreen, true);
        break;
    case Glyph::Delete:
        plusOrMinus(p, kRed, false);
        break;
    case Glyph::Cancel:
        cross(p);
        break;
    case Glyph::Connect:
        cylinder(p, QRectF(3, 3, 19, 25), QColor(70, 120, 200));
        badge(p, {23, 23}, kGreen);
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(19.5, 23), QPointF(22, 25.5), QPointF(26.5, 20.5)}));
        break;
    case Glyph::Configure:
        gear(p);
        break;
    case Glyph::Send:
        envelope(p);
        break;
    case Glyph::Exit:
        door(p);
        break;
    case Glyph::Save:
        floppy(p);
        break;
    case Glyph::Key:
        key(p);
        break;
    case Glyph::Database:
        cylinder(p, QRectF(5, 2, 22, 28), QColor(70, 120, 200));
        break;
    case Glyph::Lock:
        padlock(p);
        break;
    }
}

}  // namespace

QPixmap glyphPixmap(Glyph glyph, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kGrid, size / kGrid);
    draw(p, glyph);
    return pixmap;
}

QIcon glyphIcon(Glyph glyph)
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48})
        icon.addPixmap(glyphPixmap(glyph, size));
    return icon;
}

}  // namespace kalvora
