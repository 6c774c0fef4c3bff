// The glyphs of the browser windows' toolbars, drawn once at start-up.
#pragma once

#include <QIcon>

enum class ToolGlyph {
    Back,
    UpOneLevel,
    Refresh,
    Search,
    MoveTo,
    CopyTo,
    Delete,
    Thumbnail,
    Detail
};

QIcon ToolIcon(ToolGlyph glyph);
