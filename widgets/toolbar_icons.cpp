#include "widgets/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 24;

void DrawSheet(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(70, 70, 70), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (qreal y = r.top() + 4; y < r.bottom() - 2; y += 3)
        p.drawLine(QPointF(r.left() + 2.5, y), QPointF(r.right() - 2.5, y));
}

void DrawArrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QLineF line(to, from);
    QLineF a = line;
    a.setLength(6);
    a.setAngle(line.angle() + 40);
    QLineF b = line;
    b.setLength(6);
    b.setAngle(line.angle() - 40);
    p.drawLine(a);
    p.drawLine(b);
}

QPixmap Paint(ToolGlyph glyph, bool enabled) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor blue = enabled ? QColor(30, 100, 200) : QColor(160, 160, 160);
    const QColor green = enabled ? QColor(40, 150, 60) : QColor(160, 160, 160);
    const QColor red = enabled ? QColor(200, 40, 40) : QColor(160, 160, 160);
    const QColor folder = enabled ? QColor(230, 180, 60) : QColor(190, 190, 190);
    switch (glyph) {
    case ToolGlyph::Back:
        DrawArrow(p, QPointF(20, 12), QPointF(4, 12), green);
        break;
    case ToolGlyph::UpOneLevel:
        p.setPen(QPen(QColor(120, 90, 20), 1));
        p.setBrush(folder);
        p.drawRect(QRectF(2.5, 9.5, 19, 12));
        p.drawRect(QRectF(2.5, 7.5, 8, 2));
        DrawArrow(p, QPointF(12, 19), QPointF(12, 3), green);
        break;
    case ToolGlyph::Refresh: {
        p.setPen(QPen(green, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(4, 4, 16, 16), 60 * 16, 280 * 16);
        QPainterPath head;
        head.moveTo(14, 1);
        head.lineTo(21, 5);
        head.lineTo(14, 10);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        p.drawPath(head);
        break;
    }
    case ToolGlyph::Search:
        p.setPen(QPen(blue, 2.5));
        p.setBrush(QColor(220, 235, 255));
        p.drawEllipse(QRectF(3, 3, 12, 12));
        p.setPen(QPen(QColor(80, 60, 40), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14.5, 14.5), QPointF(21, 21));
        break;
    case ToolGlyph::MoveTo:
        DrawSheet(p, QRectF(2.5, 3.5, 11, 14));
        DrawArrow(p, QPointF(9, 18), QPointF(21, 18), blue);
        break;
    case ToolGlyph::CopyTo:
        DrawSheet(p, QRectF(2.5, 2.5, 11, 14));
        DrawSheet(p, QRectF(9.5, 7.5, 11, 14));
        break;
    case ToolGlyph::Delete:
        p.setPen(QPen(red, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 5), QPointF(19, 19));
        p.drawLine(QPointF(19, 5), QPointF(5, 19));
        break;
    case ToolGlyph::Thumbnail:
        p.setPen(QPen(QColor(70, 70, 70), 1));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) {
                p.setBrush(x == y ? QColor(120, 170, 230) : QColor(140, 200, 120));
                p.drawRect(QRectF(2.5 + x * 10, 2.5 + y * 10, 8, 8));
            }
        break;
    case ToolGlyph::Detail:
        p.setPen(QPen(QColor(70, 70, 70), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 3.5, 19, 17));
        p.setPen(QPen(blue, 2));
        for (int y = 7; y < 20; y += 4)
            p.drawLine(QPointF(5, y), QPointF(19, y));
        break;
    }
    return pixmap;
}

} // namespace

QIcon ToolIcon(ToolGlyph glyph) {
    QIcon icon;
    icon.addPixmap(Paint(glyph, true), QIcon::Normal);
    icon.addPixmap(Paint(glyph, false), QIcon::Disabled);
    return icon;
}
