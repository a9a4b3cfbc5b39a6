#include "tests/support/ImageCompare.h"

#include <gtest/gtest.h>

#include "tests/support/TestProfile.h"

TEST(ImageCompare, CountsPixelsBeyondTheTolerance) {
    Image expected(3, 2, 0xFF102030);
    Image actual = expected;
    actual.At(0, 0) = 0xFF102033;  // 3 off in blue
    actual.At(2, 1) = 0xFF10FF30;  // far off in green
    const CompareResult loose = CompareImages(actual, expected, {3, 0});
    EXPECT_EQ(loose.differentPixels, 1u);
    EXPECT_EQ(loose.largestDifference, 0xFF - 0x20);
    EXPECT_FALSE(loose.Passed({3, 0}));
    EXPECT_TRUE(loose.Passed({3, 1}));
    EXPECT_EQ(CompareImages(actual, expected, {2, 0}).differentPixels, 2u);
    EXPECT_FALSE(CompareImages(Image(3, 3), expected, {255, 100}).Passed({255, 100}));

    const Image diff = DiffImage(actual, expected, {3, 0});
    EXPECT_EQ(diff.At(0, 0), 0xFFFFFF00u);  // within the tolerance
    EXPECT_EQ(diff.At(2, 1), 0xFFFF0000u);  // beyond it
    EXPECT_EQ(diff.At(1, 0) >> 24, 0xFFu);
}

TEST(ImageCompare, PngFilesRoundTrip) {
    TempFolder folder;
    Image opaque(4, 3, 0xFF000000);
    opaque.At(1, 2) = 0xFF12AB34;
    ASSERT_TRUE(SavePng(opaque, folder.File("sub/opaque.png")));
    const auto loaded = LoadPng(folder.File("sub/opaque.png"));
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->pixels, opaque.pixels);

    Image translucent(2, 1, 0x00000000);
    translucent.At(1, 0) = 0x80FF0000;
    ASSERT_TRUE(SavePng(translucent, folder.File("translucent.png")));
    const auto back = LoadPng(folder.File("translucent.png"));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->At(0, 0), 0u);
    EXPECT_EQ(back->At(1, 0), 0x80FF0000u);

    EXPECT_FALSE(LoadPng(folder.File("missing.png")).has_value());
}
