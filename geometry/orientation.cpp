// The eight orientations' pixel mapping.
#include "geometry/orientation.h"

namespace geometry {

int KnownOrientation(int orientation) {
    return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

bool SwapsSides(int orientation) {
    return KnownOrientation(orientation) >= 5;
}

Size UprightSize(Size stored, int orientation) {
    return SwapsSides(orientation) ? Size{stored.height, stored.width} : stored;
}

Point StoredPoint(Point upright, Size stored, int orientation) {
    const int x = upright.x;
    const int y = upright.y;
    const int right = stored.width - 1;
    const int bottom = stored.height - 1;
    switch (KnownOrientation(orientation)) {
    case 2:
        return {right - x, y};
    case 3:
        return {right - x, bottom - y};
    case 4:
        return {x, bottom - y};
    case 5: // each upright row is a stored column, read from the top
        return {y, x};
    case 6: // each upright row is a stored column, read from the bottom
        return {y, bottom - x};
    case 7:
        return {right - y, bottom - x};
    case 8:
        return {right - y, x};
    default:
        return {x, y};
    }
}

} // namespace geometry
