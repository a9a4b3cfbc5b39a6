// The texts of the decorations: trimmed numbers, the slope, the legend's
// warnings and scale line, and the code page of the host's texts.
#include <gtest/gtest.h>

#include "hostfamily/GenData.h"
#include "layout/DecorationPainter.h"
#include "layout/FormatSlope.h"
#include "layout/GenDataText.h"
#include "layout/TrimNumberText.h"
#include "tests/layout/organizer/OrganizerScene.h"

TEST(TrimNumberText, DropsIdleZerosThePointAndThePlus) {
    EXPECT_EQ(TrimNumberText("12.500"), "12.5");
    EXPECT_EQ(TrimNumberText("3.000"), "3");
    EXPECT_EQ(TrimNumberText("+7"), "7");
    EXPECT_EQ(TrimNumberText("+7.50"), "7.5");
    EXPECT_EQ(TrimNumberText("100"), "100");
    EXPECT_EQ(TrimNumberText("-0.250"), "-0.25");
    EXPECT_EQ(TrimNumberText("0."), "0");
    EXPECT_EQ(TrimNumberText(""), "");
    // Only the end of the text is trimmed: a unit after the number stays.
    EXPECT_EQ(TrimNumberText("12.50 m"), "12.50 m");
}

TEST(FormatSlope, StretchedOrSqueezed) {
    LinearPixelProjection x;
    x.multiplier = 128.0;
    LinearPixelProjection y(true);
    const auto slope = [&](double s) {
        y.multiplier = x.multiplier / s;
        return FormatSlope(y, x);
    };
    EXPECT_EQ(slope(4.0), "x 4");
    EXPECT_EQ(slope(1.0), "1:1");
    EXPECT_EQ(slope(0.5), "1:2");
    EXPECT_EQ(slope(0.25), "1:4");
    EXPECT_EQ(slope(1024.0), "x 1024");
    EXPECT_EQ(slope(1.0 / 1024.0), "1:1024");
    // An axis without a multiplier reads as a tenth.
    y.multiplier = 0.0;
    EXPECT_EQ(FormatSlope(y, x), "1:10");
}

TEST(Legend, WarningsApartAndTheScaleLineLast) {
    const auto texts = DecorationPainter::ComposeLegend({"12.5 m", "", "#wNo Depth", "#WNo Depth",
                                                         "#x14.0 \xC2\xB0"
                                                         "C",
                                                         "#w", "#a#wTwo codes"},
                                                        "1:2 500 - x 4");
    EXPECT_EQ(texts.warnings, "No Depth\nTwo codes\n");
    // Too short to carry a code; the degree sign in the drawing code page.
    EXPECT_EQ(texts.legend,
              "12.5 m\n14.0 \xB0"
              "C\n#w\n1:2 500 - x 4");
    // Only a warning text that is that one warning already is not repeated.
    EXPECT_EQ(DecorationPainter::ComposeLegend({"#wA1", "#wB2", "#wA1"}, "").warnings,
              "A1\nB2\nA1\n");
}

TEST(Legend, TheScaleLineReadsLevelAndSlope) {
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open());
    DecorationPainter painter(&scene.organizer);
    EXPECT_EQ(painter.ScaleLine(), "1:2 500 - x 4");
    scene.organizer.SetLevel(3);
    scene.organizer.SetSlope(0.25);
    EXPECT_EQ(painter.ScaleLine(), "1:100 - 1:4");
}

TEST(Legend, WithoutAValueAxisTheSlopeIsLeftOut) {
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open(kGraphPrevision));
    EXPECT_EQ(DecorationPainter(&scene.organizer).ScaleLine(), "1:2 500 - ");
}

TEST(GenDataText, HostTextsInTheDrawingCodePage) {
    EXPECT_EQ(ToDrawingCodePage("14.0 \xC2\xB0"
                                "C"),
              "14.0 \xB0"
              "C");
    EXPECT_EQ(ToDrawingCodePage("\xE2\x82\xAC 5"), "\x80 5");  // the euro sign
    EXPECT_EQ(ToDrawingCodePage("\xE2\x88\x9E"), "?");         // not in the code page
    EXPECT_EQ(ToDrawingCodePage("caf\xE9"), "caf\xE9");        // already Windows-1252
    EXPECT_EQ(ToDrawingCodePage("plain"), "plain");
    EXPECT_EQ(GenDataText(GenData::kKindDepth, -12.5, GenData::CFormat::kUserUnit), "12.5 m");
    EXPECT_EQ(GenDataText(GenData::kKindTemperature, 14.0),
              "14.0 \xB0"
              "C");
    EXPECT_EQ(GenDataText(99, 1.0), "");
}
