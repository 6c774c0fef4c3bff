// Which way up a picture is stored: the eight EXIF orientations as plain integer geometry, so that
// every decoder turns its pixels alike and windows place the picture as it is drawn. Standard C++
// only.
//
// The values, by how the stored picture is turned to be drawn upright: 1 as stored; 2 mirrored left
// to right; 3 turned half round; 4 mirrored top to bottom; 5 mirrored about the diagonal from the
// top left corner; 6 turned a quarter clockwise; 7 mirrored about the other diagonal; 8 turned a
// quarter anticlockwise. Any other value draws the picture as stored.
#pragma once

#include "geometry/placement.h"

namespace geometry {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// The orientation, or 1 for a value outside 1..8.
int KnownOrientation(int orientation);

// Whether drawing upright swaps the picture's width and height (5 to 8).
bool SwapsSides(int orientation);

// The size of a picture stored as stored once it is drawn upright.
Size UprightSize(Size stored, int orientation);

// The stored pixel that is drawn at upright in the upright picture of a picture stored as stored.
// Affine in upright, so a loop can step through the stored pixels.
Point StoredPoint(Point upright, Size stored, int orientation);

} // namespace geometry
