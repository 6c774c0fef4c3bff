// Where pictures go inside boxes: the picture box's fit-and-centre rule, the centring of a
// thumbnail on its square, the viewer's zoom steps. Plain integer geometry, standard C++ only, so
// windows, workers and tools place pictures alike and tests check the rules against tables.
#pragma once

namespace geometry {

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// How a picture box draws: Center puts the picture in the middle of the box (top left otherwise).
// Proportional scales a picture larger than the box down to fit, proportions kept, and with
// Stretch a smaller one up as well; Stretch alone fills the box whatever the picture's
// proportions; neither draws the picture at its own size, cut by the box.
struct DrawMode {
    bool center = true;
    bool proportional = true;
    bool stretch = false;
};

// The largest size of picture's proportions inside box, each side truncated: 160 x 90 into
// 120 x 120 gives 120 x 67.
Size ScaleToFit(Size picture, Size box);

// The rectangle a picture box of size box draws a picture of size picture into. An empty picture
// gives an empty rectangle.
Rect PlacePicture(Size picture, Size box, DrawMode mode);

// The offset that centres inner on outer, each division truncated toward zero: a 160-wide picture
// on a 120-wide square starts at -20, a 75-wide one on 150 at 37.
int CentreOffset(int inner, int outer);

// The viewer's zoom: the box grows (steps > 0) or shrinks (steps < 0) by 100 pixels in each
// direction per step about its centre, its top left moving by 50.
Rect ZoomBox(Rect box, int steps);

// One click of the viewer's zoom buttons (steps +1 up, -1 down): ZoomBox, except that a step that
// would leave the box without width or height keeps it as it is (the fifth step down from
// 473 x 443 would give -27 x -57).
Rect ZoomStep(Rect box, int steps);

} // namespace geometry
