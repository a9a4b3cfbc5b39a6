#include <gtest/gtest.h>

#include "drawing/Palette.h"
#include "drawing/StyleTable.h"

TEST(Palette, ColoursInEachLightMode) {
    EXPECT_EQ(PaletteColour(0, 0), 0xFFFFFF00U);
    EXPECT_EQ(PaletteColour(0, 1), 0xFF716511U);
    EXPECT_EQ(PaletteColour(34, 2), 0xFF062F06U);
    EXPECT_EQ(PaletteColour(30, 1, 0x40), 0x40000080U);
    EXPECT_EQ(PaletteColour(7, 2), 0xFF000000U);
    // Out of the table: black, never a read past its end.
    EXPECT_EQ(PaletteColour(35, 0), 0xFF000000U);
    EXPECT_EQ(PaletteColour(1, 3), 0xFF000000U);
}

TEST(StyleTable, DefaultsAndLookupInTheCurrentLightMode) {
    StyleTable styles;
    styles.FillDefaults();
    COLORREF colour = 0x123456;
    BYTE opacity = 7;
    EXPECT_FALSE(styles.Lookup("TEMP_BRUSH", &colour, &opacity));
    EXPECT_EQ(colour, 0x123456U);
    EXPECT_EQ(opacity, 7);

    ASSERT_TRUE(styles.Lookup("DIST_PEN", &colour, &opacity));
    EXPECT_EQ(colour, RGB(0, 0, 255));
    EXPECT_EQ(opacity, 255);
    ASSERT_TRUE(styles.Lookup("SKY_BRUSH", &colour, &opacity));
    EXPECT_EQ(colour, RGB(222, 219, 255));

    // Night darkens every colour; opacities stay.
    styles.SetLightMode(2);
    ASSERT_TRUE(styles.Lookup("DIST_BRUSH", &colour, &opacity));
    EXPECT_EQ(colour, RGB(100, 25, 25));
    EXPECT_EQ(opacity, 150);
    ASSERT_TRUE(styles.GetColour(17, &colour));
    EXPECT_EQ(colour, RGB(72, 72, 72));
    EXPECT_EQ(styles.DayNight(308, 309), 309);
    styles.SetLightMode(1);
    EXPECT_EQ(styles.DayNight(308, 309), 308);
}

TEST(StyleTable, EchoScaleDarkensColourButNotAlpha) {
    StyleTable styles;
    EXPECT_EQ(styles.EchoLevelColour(0), (EchoColour{0, 0, 128, 255}));
    EXPECT_EQ(styles.EchoLevelColour(12), (EchoColour{255, 255, 0, 0}));
    EXPECT_EQ(styles.EchoLevelColour(16), (EchoColour{255, 0, 0, 0}));
    EXPECT_EQ(styles.EchoLevelColour(-1), (EchoColour{255, 0, 0, 0}));
    styles.SetLightMode(1);
    EXPECT_EQ(styles.EchoLevelColour(13), (EchoColour{255, 64, 32, 32}));
    styles.SetLightMode(2);
    EXPECT_EQ(styles.EchoLevelColour(8), (EchoColour{255, 63, 63, 32}));
    EXPECT_EQ(styles.EchoLevelColour(0).a, 0);
}
