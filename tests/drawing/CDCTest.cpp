#include "platform/CDC.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct Pixels {
    Pixels(int w, int h, std::uint32_t fill = 0) : width(w), height(h), words(w * h, fill) {}
    std::uint32_t At(int x, int y) const { return words[y * width + x]; }
    int width;
    int height;
    std::vector<std::uint32_t> words;
};

}  // namespace

TEST(CDC, FillSolidRectWritesOpaqueColourInsideTheRectangleOnly) {
    Pixels p(8, 6, 0x00112233);
    CDC dc(p.words.data(), p.width, p.height, p.width * 4);
    ASSERT_TRUE(dc.IsValid());
    dc.FillSolidRect(RECT{2, 1, 5, 3}, RGB(0x10, 0x20, 0x30));
    dc.Flush();
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
            EXPECT_EQ(p.At(x, y) & 0xFFFFFF, inside ? 0x102030u : 0x112233u) << x << "," << y;
        }
    }
    EXPECT_EQ(dc.GetPixel(2, 1), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(0x11, 0x22, 0x33));
}

TEST(CDC, FillSolidRectIsClippedToThePixels) {
    Pixels p(4, 4);
    CDC dc(p.words.data(), p.width, p.height, p.width * 4);
    dc.FillSolidRect(-10, -10, 100, 12, RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(3, 1), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(3, 2), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetPixel(4, 0), CLR_INVALID);
    EXPECT_EQ(dc.GetPixel(-1, 0), CLR_INVALID);
}

TEST(CDC, RowsFollowTheStride) {
    // Two spare words per row must stay untouched.
    Pixels p(6, 3, 0xDEADBEEF);
    CDC dc(p.words.data(), 4, 3, 6 * 4);
    dc.FillSolidRect(0, 0, 4, 3, RGB(1, 2, 3));
    dc.Flush();
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(p.At(3, y) & 0xFFFFFF, 0x010203u);
        EXPECT_EQ(p.At(4, y), 0xDEADBEEFu);
        EXPECT_EQ(p.At(5, y), 0xDEADBEEFu);
    }
}

TEST(CDC, BitBltCopiesTheSourceRectangle) {
    Pixels src(4, 4);
    Pixels dst(6, 6);
    CDC s(src.words.data(), 4, 4, 16);
    CDC d(dst.words.data(), 6, 6, 24);
    s.FillSolidRect(0, 0, 4, 4, RGB(0, 0, 255));
    s.FillSolidRect(1, 1, 1, 1, RGB(0, 255, 0));
    d.FillSolidRect(0, 0, 6, 6, RGB(9, 9, 9));
    EXPECT_TRUE(d.BitBlt(2, 3, 2, 2, &s, 1, 1, SRCCOPY));
    EXPECT_EQ(d.GetPixel(2, 3), RGB(0, 255, 0));
    EXPECT_EQ(d.GetPixel(3, 4), RGB(0, 0, 255));
    EXPECT_EQ(d.GetPixel(1, 3), RGB(9, 9, 9));
    EXPECT_EQ(d.GetPixel(4, 3), RGB(9, 9, 9));
    EXPECT_EQ(d.GetPixel(2, 5), RGB(9, 9, 9));
}

TEST(CDC, BitBltSeesPixelsWrittenDirectlyAfterMarkDirty) {
    Pixels src(2, 2);
    Pixels dst(2, 2);
    CDC s(src.words.data(), 2, 2, 8);
    CDC d(dst.words.data(), 2, 2, 8);
    s.FillSolidRect(0, 0, 2, 2, RGB(0, 0, 0));
    s.Flush();
    src.words[3] = 0xFF00FF00;  // green at (1, 1)
    s.MarkDirty();
    ASSERT_TRUE(d.BitBlt(0, 0, 2, 2, &s, 0, 0, SRCCOPY));
    EXPECT_EQ(d.GetPixel(1, 1), RGB(0, 255, 0));
}

TEST(CDC, InvalidContextsDoNothing) {
    Pixels p(4, 4, 0x00ABCDEF);
    CDC none;
    CDC narrowStride(p.words.data(), 4, 4, 12);
    CDC oddStride(p.words.data(), 2, 2, 10);
    CDC noPixels(nullptr, 4, 4, 16);
    CDC empty(p.words.data(), 0, 4, 16);
    for (CDC* dc : {&none, &narrowStride, &oddStride, &noPixels, &empty}) {
        EXPECT_FALSE(dc->IsValid());
        EXPECT_EQ(dc->GetSafeHdc(), nullptr);
        EXPECT_EQ(CDC::FromHandle(dc->GetSafeHdc()), nullptr);
        dc->FillSolidRect(0, 0, 4, 4, RGB(1, 1, 1));
        EXPECT_EQ(dc->GetPixel(0, 0), CLR_INVALID);
    }
    CDC good(p.words.data(), 4, 4, 16);
    EXPECT_FALSE(good.BitBlt(0, 0, 4, 4, &none, 0, 0, SRCCOPY));
    EXPECT_FALSE(good.BitBlt(0, 0, 4, 4, nullptr, 0, 0, SRCCOPY));
    EXPECT_FALSE(good.BitBlt(0, 0, 4, 4, &good, 0, 0, 0x00EE0086));  // SRCPAINT
    EXPECT_EQ(p.At(0, 0), 0x00ABCDEFu);
}

TEST(CDC, PremultipliedPixelsReadBackUnpremultiplied) {
    Pixels p(1, 1, 0x80400000);  // red 0x40 premultiplied by alpha 0x80
    CDC dc(p.words.data(), 1, 1, 4, CDC::Format::kArgb32);
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(0x80, 0, 0));
}
