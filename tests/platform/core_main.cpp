// Runs the platform core's tests in a mount namespace of their own, where they may mount file
// systems inside their temporary folders.
#include <gtest/gtest.h>

#include "tests/support/own_mounts.h"

int main(int argc, char** argv) {
    lumo::test::EnterOwnMountNamespace(); // first, while the program has one thread
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
