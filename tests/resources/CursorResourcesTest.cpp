// The module's cursor pictures: one per id, pointing where its zone looks,
// dimmer at night, handed to the desktop with the cursor.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/HeadlessDesktop.h"
#include "resources/ModuleCursors.h"
#include "tests/support/ImageCompare.h"

namespace {

struct Centroid {
    double x = 0.0;
    double y = 0.0;
    double luminance = 0.0;  // mean over the opaque pixels
};

Centroid CentroidOf(const CursorImage& image) {
    Centroid c;
    double weight = 0.0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.pixels[y * image.width + x];
            const double a = (p >> 24) / 255.0;
            c.x += a * (x + 0.5);
            c.y += a * (y + 0.5);
            c.luminance +=
                a * (0.3 * ((p >> 16) & 0xFF) + 0.59 * ((p >> 8) & 0xFF) + 0.11 * (p & 0xFF));
            weight += a;
        }
    }
    c.x /= weight;
    c.y /= weight;
    c.luminance /= weight;
    return c;
}

struct Zone {
    CursorPair ids;
    int dx;  // the direction the arrow should point
    int dy;
};

constexpr Zone kZones[] = {
    {kCursorsTop, 0, -1},        {kCursorsTopRight, 1, -1}, {kCursorsRight, 1, 0},
    {kCursorsBottomRight, 1, 1}, {kCursorsBottom, 0, 1},    {kCursorsBottomLeft, -1, 1},
    {kCursorsLeft, -1, 0},       {kCursorsTopLeft, -1, -1},
};

CursorImage Load(int id) {
    CursorImage image;
    EXPECT_TRUE(LoadModuleCursorImage(id, &image)) << id;
    return image;
}

}  // namespace

TEST(CursorResources, EveryIdHasA32By32Picture) {
    for (int id = 308; id <= 337; ++id) {
        const CursorImage image = Load(id);
        EXPECT_EQ(image.width, 32);
        EXPECT_EQ(image.height, 32);
        ASSERT_EQ(image.pixels.size(), 32U * 32U);
        int opaque = 0;
        for (std::uint32_t p : image.pixels) {
            opaque += (p >> 24) == 0xFF ? 1 : 0;
        }
        EXPECT_GT(opaque, 60) << id;
        EXPECT_LT(opaque, 32 * 32 / 2) << id;  // a cursor, not a block
    }
    CursorImage untouched;
    EXPECT_FALSE(LoadModuleCursorImage(307, &untouched));
    EXPECT_FALSE(LoadModuleCursorImage(338, &untouched));
    EXPECT_TRUE(untouched.pixels.empty());
}

TEST(CursorResources, EdgeArrowsPointTowardTheirEdgeByDayAndByNight) {
    for (const Zone& zone : kZones) {
        for (int id : {zone.ids.day, zone.ids.night}) {
            const CursorImage image = Load(id);
            // The hot spot is the tip: well out toward the edge of its zone.
            const double hx = image.hotX + 0.5 - 16.0;
            const double hy = image.hotY + 0.5 - 16.0;
            const double length = std::hypot(hx, hy);
            EXPECT_GT(length, 10.0) << id;
            const double norm = std::hypot(zone.dx, zone.dy);
            EXPECT_GT((hx * zone.dx + hy * zone.dy) / (length * norm), 0.95) << id;
            // The wide head lies on the tip's side of the centre.
            const Centroid c = CentroidOf(image);
            EXPECT_GT((c.x - 16.0) * zone.dx + (c.y - 16.0) * zone.dy, 0.5) << id;
        }
    }
}

TEST(CursorResources, TheMoveCrossIsSymmetricWithItsHotSpotInTheMiddle) {
    for (int id : {kCursorsCentre.day, kCursorsCentre.night}) {
        const CursorImage image = Load(id);
        EXPECT_EQ(image.hotX, 16);
        EXPECT_EQ(image.hotY, 16);
        const Centroid c = CentroidOf(image);
        EXPECT_NEAR(c.x, 16.0, 0.3);
        EXPECT_NEAR(c.y, 16.0, 0.3);
    }
}

TEST(CursorResources, NightPicturesAreDarkerThanDayOnes) {
    for (const Zone& zone : kZones) {
        EXPECT_LT(CentroidOf(Load(zone.ids.night)).luminance,
                  CentroidOf(Load(zone.ids.day)).luminance * 0.5);
    }
    EXPECT_LT(CentroidOf(Load(kCursorsCentre.night)).luminance,
              CentroidOf(Load(kCursorsCentre.day)).luminance * 0.5);
}

TEST(CursorResources, LoadingHandsThePictureToTheDesktop) {
    EXPECT_EQ(LoadModuleCursor(334), nullptr);  // no desktop yet
    HeadlessDesktop desktop;
    const HCURSOR cursor = LoadModuleCursor(334);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(desktop.GetCursorResourceId(cursor), 334);
    const CursorImage* image = desktop.GetCursorImage(cursor);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels, Load(334).pixels);
    EXPECT_EQ(LoadModuleCursor(400), nullptr);
}

// All thirty pictures on a sheet over a dark ground, in id order, each hot
// spot in green.
TEST(CursorResources, Sheet) {
    constexpr int kColumns = 10;
    Image sheet(kColumns * 40, 3 * 40, 0xFF808080);
    for (int id = 308; id <= 337; ++id) {
        const CursorImage image = Load(id);
        const int index = id - 308;
        const int left = (index % kColumns) * 40 + 4;
        const int top = (index / kColumns) * 40 + 4;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const std::uint32_t p = image.pixels[y * 32 + x];
                const std::uint32_t a = p >> 24;
                const std::uint32_t ground = 0x40;
                auto mix = [&](int shift) {
                    return ((((p >> shift) & 0xFF) * a + ground * (255 - a)) / 255) << shift;
                };
                sheet.At(left + x, top + y) = 0xFF000000 | mix(16) | mix(8) | mix(0);
            }
        }
        sheet.At(left + image.hotX, top + image.hotY) = 0xFF00FF00;
    }
    EXPECT_TRUE(MatchesGolden(sheet, "view/cursors.png"));
}
