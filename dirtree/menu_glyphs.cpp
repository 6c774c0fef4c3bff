// Menu glyphs: theme icon names for the eleven commands and the drawn pictures behind them.
#include "dirtree/menu_glyphs.h"

#include <algorithm>
#include <iterator>

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kSize = 16;

const QColor kOutline(70, 60, 40);
const QColor kFolder(240, 200, 90);
const QColor kFolderDark(200, 150, 40);
const QColor kPaper(255, 255, 255);
const QColor kInk(60, 60, 60);
const QColor kBlue(30, 90, 190);
const QColor kRed(200, 30, 30);
const QColor kGreen(30, 140, 50);

void DrawFolder(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kFolderDark);
    p.drawRect(QRectF(r.left(), r.top(), r.width() * 0.45, 2));
    p.setBrush(kFolder);
    p.drawRect(QRectF(r.left(), r.top() + 2, r.width(), r.height() - 2));
}

void DrawPage(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(r);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void DrawComputer(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(200, 220, 245));
    p.drawRect(QRectF(1.5, 1.5, 11, 8));
    p.setBrush(QColor(180, 180, 180));
    p.drawRect(QRectF(4.5, 10.5, 5, 2));
}

void DrawCable(QPainter& p, const QColor& colour) {
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7, 12.5), QPointF(7, 15));
    p.drawLine(QPointF(2, 15), QPointF(14, 15));
}

void DrawCross(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
}

void Paint(QPainter& p, const QString& name) {
    if (name == QLatin1String("NewFolder28")) {
        DrawFolder(p, QRectF(1.5, 5.5, 12, 9));
        p.setPen(QPen(QColor(230, 160, 0), 1.5));
        p.drawLine(QPointF(12, 1), QPointF(12, 7)); // a spark: something new
        p.drawLine(QPointF(9, 4), QPointF(15, 4));
        p.drawLine(QPointF(10, 2), QPointF(14, 6));
        p.drawLine(QPointF(14, 2), QPointF(10, 6));
    } else if (name == QLatin1String("EditFolder28")) {
        DrawFolder(p, QRectF(1.5, 4.5, 12, 9));
        p.setPen(QPen(kOutline, 1));
        p.setBrush(QColor(250, 220, 120));
        QPainterPath pencil;
        pencil.moveTo(6, 14);
        pencil.lineTo(7, 11);
        pencil.lineTo(14, 4);
        pencil.lineTo(16, 6);
        pencil.lineTo(9, 13);
        pencil.closeSubpath();
        p.drawPath(pencil);
    } else if (name == QLatin1String("DelFolder28")) {
        DrawFolder(p, QRectF(1.5, 3.5, 12, 9));
        DrawCross(p, QRectF(9, 9, 6, 6));
    } else if (name == QLatin1String("Cut28")) {
        p.setPen(QPen(kInk, 1.5));
        p.drawLine(QPointF(4, 1), QPointF(10, 10));
        p.drawLine(QPointF(12, 1), QPointF(6, 10));
        p.setPen(QPen(kBlue, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 10, 4.5, 4.5));
        p.drawEllipse(QRectF(9.5, 10, 4.5, 4.5));
    } else if (name == QLatin1String("Copy28")) {
        DrawPage(p, QRectF(1.5, 1.5, 8, 10));
        DrawPage(p, QRectF(6.5, 4.5, 8, 10));
    } else if (name == QLatin1String("Paste28")) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(QRectF(1.5, 2.5, 10, 12));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4.5, 1.5, 4, 2));
        DrawPage(p, QRectF(7.5, 6.5, 7, 8));
    } else if (name == QLatin1String("TreeSize28")) {
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(1.5, 14.5), QPointF(14.5, 14.5));
        p.setBrush(kBlue);
        p.drawRect(QRectF(2.5, 9.5, 3, 5));
        p.setBrush(kGreen);
        p.drawRect(QRectF(6.5, 5.5, 3, 9));
        p.setBrush(kRed);
        p.drawRect(QRectF(10.5, 1.5, 3, 13));
    } else if (name == QLatin1String("DirContents28")) {
        DrawFolder(p, QRectF(0.5, 1.5, 9, 7));
        DrawPage(p, QRectF(6.5, 6.5, 8, 8));
    } else if (name == QLatin1String("NetConnect28")) {
        DrawComputer(p);
        DrawCable(p, kGreen);
    } else if (name == QLatin1String("NetDisConnect28")) {
        DrawComputer(p);
        DrawCable(p, QColor(120, 120, 120));
        DrawCross(p, QRectF(10, 9, 5, 5));
    } else if (name == QLatin1String("Attributes28")) {
        DrawPage(p, QRectF(2.5, 0.5, 11, 15));
        p.setPen(QPen(kGreen, 1.5));
        p.drawLine(QPointF(4, 4), QPointF(5.5, 5.5));
        p.drawLine(QPointF(5.5, 5.5), QPointF(8, 2.5));
        p.drawLine(QPointF(4, 10), QPointF(5.5, 11.5));
        p.drawLine(QPointF(5.5, 11.5), QPointF(8, 8.5));
    }
}

struct GlyphName {
    const char* bitmap;
    const char* theme; // freedesktop icon naming
};

constexpr GlyphName kGlyphs[] = {
    {"NewFolder28", "folder-new"},
    {"EditFolder28", "edit-rename"},
    {"DelFolder28", "edit-delete"},
    {"Cut28", "edit-cut"},
    {"Copy28", "edit-copy"},
    {"Paste28", "edit-paste"},
    {"TreeSize28", "drive-harddisk"},
    {"DirContents28", "folder-open"},
    {"NetConnect28", "network-wired"},
    {"NetDisConnect28", "network-offline"},
    {"Attributes28", "document-properties"},
};

} // namespace

QPixmap DrawnMenuGlyph(const QString& bitmapName) {
    const bool known = std::any_of(std::begin(kGlyphs), std::end(kGlyphs), [&](const GlyphName& g) {
        return bitmapName == QLatin1String(g.bitmap);
    });
    if (!known)
        return {};
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    Paint(p, bitmapName);
    return pixmap;
}

QIcon MenuGlyph(const QString& bitmapName) {
    const QPixmap drawn = DrawnMenuGlyph(bitmapName);
    for (const GlyphName& glyph : kGlyphs) {
        if (bitmapName == QLatin1String(glyph.bitmap))
            return QIcon::fromTheme(QLatin1String(glyph.theme), QIcon(drawn));
    }
    return QIcon(drawn);
}
