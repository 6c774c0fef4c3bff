// The thumbnail browser's name rules and the sidecar's geometry, against tables.
#include <gtest/gtest.h>

#include "thumbs/core/file_names.h"
#include "thumbs/core/sidecar_geometry.h"

namespace {

TEST(FileNames, FourCharacterExtensionRule) {
    struct Case {
        const char* name;
        bool picture;
        bool raw;
    };
    for (const Case& c :
         {Case{"a.jpg", true, false}, Case{"b.JPG", true, false}, Case{"x.CR2.JPG", true, false},
          Case{"y.jpgx", true, false}, Case{"c.jpeg", false, false}, Case{"d.jpe", false, false},
          Case{"IMG_1.CR2", false, true}, Case{"img.cr2", false, true},
          Case{"C:\\a.jpg\\file", false, false}, Case{"noext", false, false}}) {
        EXPECT_EQ(IsPictureName(c.name), c.picture) << c.name;
        EXPECT_EQ(IsRawName(c.name), c.raw) << c.name;
    }
    // "c.jpeg" counts by its first four characters, ".jpe", so it is no picture.
    EXPECT_EQ(FourCharExtension("c.jpeg"), ".jpe");
    EXPECT_EQ(FourCharExtension("D:\\Shots\\IMG.CR2.JPG"), ".JPG");
    EXPECT_EQ(FileNameOf("D:\\Shots\\\\IMG.CR2"), "IMG.CR2");
    EXPECT_EQ(FileNameOf("C:x.jpg"), "x.jpg");
}

TEST(FileNames, SidecarPaths) {
    struct Case {
        const char* folder;
        const char* raw;
        const char* prefix;
        const char* sidecar;
    };
    for (const Case& c : {
             Case{"D:\\Shots\\", "D:\\Shots\\\\IMG_0042.CR2", "", "D:\\Shots\\IMG_0042.CR2.JPG"},
             Case{"D:\\Shots", "D:\\Shots\\IMG_0042.CR2", "", "D:\\Shots\\IMG_0042.CR2.JPG"},
             // A lower-case extension stays: the sidecar is img.cr2.CR2.JPG.
             Case{"C:\\", "C:\\\\img.cr2", "", "C:\\img.cr2.CR2.JPG"},
             // Every ".CR2" goes, also one in the middle of the name.
             Case{"C:\\R\\", "C:\\R\\\\A.CR2B.CR2", "", "C:\\R\\AB.CR2.JPG"},
             Case{"C:\\R\\", "C:\\R\\\\A.CR2", "th_", "C:\\R\\th_A.CR2.JPG"},
         })
        EXPECT_EQ(SidecarPath(c.folder, c.raw, c.prefix), c.sidecar) << c.raw;
}

TEST(FileNames, ShownPathsHaveNoDoubledBackslash) {
    for (const auto& [path, shown] : {
             std::pair{"C:\\tmp\\raw\\\\STUB.CR2", "C:\\tmp\\raw\\STUB.CR2"},
             std::pair{"C:\\\\img.cr2", "C:\\img.cr2"},
             std::pair{"D:\\a\\\\\\b\\", "D:\\a\\b\\"},
             std::pair{"\\\\server\\\\x", "\\\\server\\x"},
             std::pair{"", ""},
         })
        EXPECT_EQ(ShownPath(path), shown) << path;
}

TEST(FileNames, CaptionsOfSidecars) {
    struct Case {
        const char* caption;
        const char* shown; // once the worker has ended
        const char* title; // when selected, in the folder C:\R
    };
    for (const Case& c : {Case{"IMG_1.CR2.JPG", "IMG_1.CR2", "Lumograph - IMG_1.CR2"},
                          Case{"IMG_1.cr2.JPG", "IMG_1.cr2", "Lumograph - IMG_1.cr2"},
                          Case{"photo.jpg", "photo.jpg", "Lumograph - photo.jpg"},
                          // ".jpg" is no ".JPG" to RemoveAll: neither rule takes it for a sidecar.
                          Case{"IMG_2.CR2.jpg", "IMG_2.CR2.jpg", "Lumograph - IMG_2.CR2.jpg"},
                          Case{"x.CR2x.JPG", "x.CR2x", "Lumograph - x.CR2x"}}) {
        EXPECT_EQ(CaptionAfterExtraction(c.caption), c.shown) << c.caption;
        EXPECT_EQ(SelectionTitle("C:\\R\\", c.caption), c.title) << c.caption;
    }
}

TEST(SidecarGeometry, FitsWidthOfWidePicturesAndHeightOfOthers) {
    struct Case {
        geometry::Size picture;
        geometry::Rect drawn;
    };
    const geometry::Size raster{SidecarWidth, SidecarHeight};
    for (const Case& c : {
             Case{{1536, 1024}, {0, 0, 150, 100}}, // 3:2 fills the raster
             Case{{5184, 3456}, {0, 0, 150, 100}}, // a camera preview
             Case{{400, 300}, {0, -6, 150, 112}},  // 4:3: 112.5 rounds to 112, cut top and bottom
             Case{{160, 120}, {0, -6, 150, 112}},  // the IFD1 thumbnail of a CR2
             Case{{300, 400}, {37, 0, 75, 100}},   // 3:4 framed left and right
             Case{{100, 100}, {25, 0, 100, 100}},  // square
             Case{{1600, 900}, {0, 8, 150, 84}},   // 16:9: 84.375
             Case{{0, 10}, {}},
         })
        EXPECT_EQ(SidecarPlacement(c.picture, raster), c.drawn)
            << c.picture.width << " x " << c.picture.height;
}

TEST(SidecarGeometry, RoundsHalvesToEven) {
    EXPECT_EQ(RoundHalfEven(112.5), 112);
    EXPECT_EQ(RoundHalfEven(113.5), 114);
    EXPECT_EQ(RoundHalfEven(112.4999), 112);
    EXPECT_EQ(RoundHalfEven(112.5001), 113);
    EXPECT_EQ(RoundHalfEven(0.5), 0);
}

} // namespace
