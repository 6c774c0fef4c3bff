// Placement of pictures in boxes, checked against tables of literal cases.
#include "geometry/placement.h"

#include <ostream>

#include <gtest/gtest.h>

namespace geometry {

void PrintTo(const Rect& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.width << " x " << r.height << "}";
}

namespace {

struct PlaceCase {
    Size picture;
    Size box;
    DrawMode mode;
    Rect expected;
};

class PlacePictureTest : public testing::TestWithParam<PlaceCase> {};

TEST_P(PlacePictureTest, DrawsWhereThePictureBoxWould) {
    const PlaceCase& c = GetParam();
    EXPECT_EQ(PlacePicture(c.picture, c.box, c.mode), c.expected);
}

constexpr DrawMode Fit{true, true, false};
constexpr DrawMode FitUp{true, true, true};
constexpr DrawMode Fill{true, false, true};
constexpr DrawMode TopLeft{false, true, false};
constexpr DrawMode Natural{true, false, false};

INSTANTIATE_TEST_SUITE_P(
    Table, PlacePictureTest,
    testing::Values(
        // A smaller picture keeps its size and is centred, unless stretched.
        PlaceCase{{100, 50}, {473, 443}, Fit, {186, 196, 100, 50}},
        PlaceCase{{100, 50}, {473, 443}, FitUp, {0, 103, 473, 236}},
        // Larger pictures shrink to fit the limiting side, proportions kept.
        PlaceCase{{3888, 2592}, {473, 443}, Fit, {0, 64, 473, 315}},
        PlaceCase{{2592, 3888}, {473, 443}, Fit, {89, 0, 295, 443}},
        PlaceCase{{160, 90}, {120, 120}, Fit, {0, 26, 120, 67}},
        // Exactly the box's size: drawn as it is.
        PlaceCase{{153, 121}, {153, 121}, Fit, {0, 0, 153, 121}},
        // Without proportions, a stretched picture fills the box; an unstretched one is not
        // scaled at all and is cut by the box.
        PlaceCase{{3888, 2592}, {473, 443}, Fill, {0, 0, 473, 443}},
        PlaceCase{{600, 500}, {473, 443}, Natural, {-63, -28, 600, 500}},
        // Not centred: from the top left.
        PlaceCase{{3888, 2592}, {473, 443}, TopLeft, {0, 0, 473, 315}},
        // A box zoomed down below the picture's size, and one of no size at all.
        PlaceCase{{400, 300}, {73, 43}, Fit, {8, 0, 57, 43}},
        PlaceCase{{400, 300}, {0, 0}, Fit, {0, 0, 0, 0}},
        // No picture: nothing drawn.
        PlaceCase{{0, 0}, {473, 443}, FitUp, {0, 0, 0, 0}}));

TEST(CentreOffset, TruncatesTowardZeroBothWays) {
    struct Case {
        int inner, outer, expected;
    };
    for (const Case& c : {Case{75, 150, 37}, Case{160, 120, -20}, Case{90, 120, 15},
                          Case{112, 100, -6}, Case{121, 120, 0}, Case{120, 120, 0}})
        EXPECT_EQ(CentreOffset(c.inner, c.outer), c.expected) << c.inner << " on " << c.outer;
}

TEST(ZoomBox, StepsOfAHundredAboutTheCentreUndoEachOther) {
    const Rect start{271, 126, 473, 443};
    EXPECT_EQ(ZoomBox(start, 3), (Rect{121, -24, 773, 743}));
    EXPECT_EQ(ZoomBox(ZoomBox(start, 3), -3), start);
    EXPECT_EQ(ZoomBox(start, -4), (Rect{471, 326, 73, 43}));
}

TEST(ZoomStep, StopsBeforeTheBoxWouldHaveNoWidthOrHeight) {
    struct Case {
        Rect box;
        int steps;
        Rect expected;
    };
    for (const Case& c : {
             Case{{271, 126, 473, 443}, 1, {221, 76, 573, 543}},
             Case{{271, 126, 473, 443}, -1, {321, 176, 373, 343}},
             // 73 x 43 is the last box down from the start; 101 x 101 still has 1 x 1 below it.
             Case{{471, 326, 73, 43}, -1, {471, 326, 73, 43}},
             Case{{0, 0, 101, 101}, -1, {50, 50, 1, 1}},
             Case{{0, 0, 100, 300}, -1, {0, 0, 100, 300}},
             Case{{0, 0, 300, 100}, -1, {0, 0, 300, 100}},
             // Growing has no limit.
             Case{{471, 326, 73, 43}, 1, {421, 276, 173, 143}},
         })
        EXPECT_EQ(ZoomStep(c.box, c.steps), c.expected);
}

} // namespace
} // namespace geometry
