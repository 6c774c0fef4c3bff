// The eight orientations (and damaged values) on a 3 x 2 picture whose pixels are numbered in
// reading order, against the upright pictures written out by hand.
#include "geometry/orientation.h"

#include <vector>

#include <gtest/gtest.h>

namespace geometry {
namespace {

// Stored:  0 1 2
//          3 4 5
constexpr Size Stored{3, 2};

struct OrientationCase {
    int orientation;
    Size upright;
    std::vector<int> pixels; // the upright picture's stored pixel numbers, row by row
};

class OrientationTest : public testing::TestWithParam<OrientationCase> {};

TEST_P(OrientationTest, DrawsEveryStoredPixelWhereTheOrientationSays) {
    const OrientationCase& c = GetParam();
    EXPECT_EQ(SwapsSides(c.orientation), c.upright.width != Stored.width);
    const Size upright = UprightSize(Stored, c.orientation);
    ASSERT_EQ(upright, c.upright);
    std::vector<int> pixels;
    for (int y = 0; y < upright.height; ++y)
        for (int x = 0; x < upright.width; ++x) {
            const Point from = StoredPoint({x, y}, Stored, c.orientation);
            pixels.push_back(from.y * Stored.width + from.x);
        }
    EXPECT_EQ(pixels, c.pixels);
}

INSTANTIATE_TEST_SUITE_P(EightOrientations, OrientationTest,
                         testing::Values(OrientationCase{1, {3, 2}, {0, 1, 2, 3, 4, 5}},
                                         OrientationCase{2, {3, 2}, {2, 1, 0, 5, 4, 3}},
                                         OrientationCase{3, {3, 2}, {5, 4, 3, 2, 1, 0}},
                                         OrientationCase{4, {3, 2}, {3, 4, 5, 0, 1, 2}},
                                         OrientationCase{5, {2, 3}, {0, 3, 1, 4, 2, 5}},
                                         OrientationCase{6, {2, 3}, {3, 0, 4, 1, 5, 2}},
                                         OrientationCase{7, {2, 3}, {5, 2, 4, 1, 3, 0}},
                                         OrientationCase{8, {2, 3}, {2, 5, 1, 4, 0, 3}},
                                         // Damaged values draw the picture as stored.
                                         OrientationCase{0, {3, 2}, {0, 1, 2, 3, 4, 5}},
                                         OrientationCase{9, {3, 2}, {0, 1, 2, 3, 4, 5}},
                                         OrientationCase{-6, {3, 2}, {0, 1, 2, 3, 4, 5}}),
                         [](const testing::TestParamInfo<OrientationCase>& info) {
                             return info.param.orientation < 0
                                        ? "minus" + std::to_string(-info.param.orientation)
                                        : std::to_string(info.param.orientation);
                         });

} // namespace
} // namespace geometry
