// Where Next and Previous go in lists of every length, from every selection, and Home and End.
#include "viewer/core/list_steps.h"

#include <gtest/gtest.h>

namespace {

TEST(ListSteps, WrapBothWaysAndNeverLeaveTheList) {
    struct Case {
        int i, n, next, previous, first, last;
    };
    for (const Case& c : {
             // Three items: the last wraps to the first, the first back to the last.
             Case{0, 3, 1, 2, 0, 2},
             Case{1, 3, 2, 0, 0, 2},
             Case{2, 3, 0, 1, 0, 2},
             // Nothing selected: Next shows the first item, Previous nothing.
             Case{-1, 3, 0, -1, 0, 2},
             // One item steps onto itself.
             Case{0, 1, 0, 0, 0, 0},
             // An empty list: nothing, whatever the selection says.
             Case{-1, 0, -1, -1, -1, -1},
             Case{0, 0, -1, -1, -1, -1},
             // A selection beyond a list that shrank: back inside it.
             Case{5, 3, 0, 2, 0, 2},
         }) {
        EXPECT_EQ(NextIndex(c.i, c.n), c.next) << c.i << " of " << c.n;
        EXPECT_EQ(PreviousIndex(c.i, c.n), c.previous) << c.i << " of " << c.n;
        EXPECT_EQ(FirstIndex(c.n), c.first) << c.n;
        EXPECT_EQ(LastIndex(c.n), c.last) << c.n;
    }
}

} // namespace
