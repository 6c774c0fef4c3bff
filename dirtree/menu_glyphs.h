// The 16-pixel glyphs of the tree's context menu, by their bitmap names ("NewFolder28" ...
// "Attributes28"): the desktop icon theme's icon for the command when the theme has one,
// otherwise a glyph drawn for this program, so every item always has its picture.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The glyph drawn for this program; a null pixmap for an unknown name.
QPixmap DrawnMenuGlyph(const QString& bitmapName);
// The theme's icon for the name's command, falling back to DrawnMenuGlyph.
QIcon MenuGlyph(const QString& bitmapName);
