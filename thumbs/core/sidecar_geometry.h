// Where a raw file's preview goes in its sidecar picture: the width of every picture wider than
// tall fills the raster's width, the height of every other picture fills the raster's height,
// each centred. A picture wider than 1:1 but narrower than the raster overflows it at top and
// bottom (and is cut there); a picture taller than wide is framed at left and right.
#pragma once

#include "geometry/placement.h"

// The sidecar's size in pixels and its fill colour.
inline constexpr int SidecarWidth = 150;
inline constexpr int SidecarHeight = 100;

// The rectangle (possibly reaching outside the raster) that a picture of the given size is drawn
// into on a width x height raster: 1536 x 1024 on 150 x 100 fills it; 400 x 300 is drawn 150 x 112
// at top -6; 300 x 400 is drawn 75 x 100 at left 37. Drawn sizes are rounded to the nearest whole
// number, halves to the even one. An empty picture or raster gives an empty rectangle.
geometry::Rect SidecarPlacement(geometry::Size picture, geometry::Size raster);

// Rounds to the nearest whole number, a half to the even neighbour (112.5 -> 112, 113.5 -> 114).
long RoundHalfEven(double value);
