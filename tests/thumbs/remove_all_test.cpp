// RemoveAll: every occurrence goes, also those that a removal brings together.
#include "thumbs/core/remove_all.h"

#include <gtest/gtest.h>

namespace {

TEST(RemoveAll, RemovesEveryOccurrenceCaseSensitively) {
    struct Case {
        const char* part;
        const char* text;
        const char* expected;
    };
    for (const Case& c :
         {Case{".JPG", "IMG_1.CR2.JPG", "IMG_1.CR2"},
          Case{".JPG", "IMG_1.cr2.jpg", "IMG_1.cr2.jpg"}, Case{".CR2", "A.CR2B.CR2", "AB"},
          Case{".CR2", "A.CR.CR22", "A"}, Case{".JPG", ".JPG.JPG", ""},
          Case{".JPG", "photo", "photo"}, Case{"", "photo", "photo"}})
        EXPECT_EQ(RemoveAll(c.part, c.text), c.expected) << c.part << " from " << c.text;
}

} // namespace
