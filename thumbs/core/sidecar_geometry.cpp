// Sidecar placement rule.
#include "thumbs/core/sidecar_geometry.h"

#include <cmath>

long RoundHalfEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    long result = static_cast<long>(below);
    if (fraction > 0.5 || (fraction == 0.5 && result % 2 != 0))
        ++result;
    return result;
}

geometry::Rect SidecarPlacement(geometry::Size picture, geometry::Size raster) {
    if (picture.width <= 0 || picture.height <= 0 || raster.width <= 0 || raster.height <= 0)
        return {};
    const double ratio = static_cast<double>(picture.width) / picture.height;
    if (ratio > 1) {
        const int drawn = static_cast<int>(RoundHalfEven(raster.width / ratio));
        return {0, geometry::CentreOffset(drawn, raster.height), raster.width, drawn};
    }
    const int drawn = static_cast<int>(RoundHalfEven(ratio * raster.height));
    return {geometry::CentreOffset(drawn, raster.width), 0, drawn, raster.height};
}
