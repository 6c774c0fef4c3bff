// Integer placement rules of pictures in boxes.
#include "geometry/placement.h"

#include <cstdint>

namespace geometry {

Size ScaleToFit(Size picture, Size box) {
    if (picture.width <= 0 || picture.height <= 0)
        return {};
    // Cross-multiplied in 64 bits so that a large picture in a large box cannot overflow.
    const int64_t heightForWidth = int64_t{box.width} * picture.height / picture.width;
    if (heightForWidth <= box.height)
        return {box.width, static_cast<int>(heightForWidth)};
    return {static_cast<int>(int64_t{box.height} * picture.width / picture.height), box.height};
}

Rect PlacePicture(Size picture, Size box, DrawMode mode) {
    if (picture.width <= 0 || picture.height <= 0)
        return {};
    Size drawn = picture;
    const bool larger = picture.width > box.width || picture.height > box.height;
    if (mode.proportional && (mode.stretch || larger))
        drawn = ScaleToFit(picture, box);
    else if (mode.stretch)
        drawn = box;
    Rect rect{0, 0, drawn.width, drawn.height};
    if (mode.center) {
        rect.left = CentreOffset(drawn.width, box.width);
        rect.top = CentreOffset(drawn.height, box.height);
    }
    return rect;
}

int CentreOffset(int inner, int outer) {
    return (outer - inner) / 2;
}

Rect ZoomBox(Rect box, int steps) {
    return {box.left - 50 * steps, box.top - 50 * steps, box.width + 100 * steps,
            box.height + 100 * steps};
}

Rect ZoomStep(Rect box, int steps) {
    const Rect zoomed = ZoomBox(box, steps);
    return zoomed.width > 0 && zoomed.height > 0 ? zoomed : box;
}

} // namespace geometry
