// Texel conversion into the echogram's texture formats, and the choice of
// those formats on a device.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "desktop/DXDesktopDeviceManager.h"
#include "direct3d/D3D9Sim.h"
#include "drawing/ConvertTexels.h"
#include "platform/HeadlessDesktop.h"

namespace {

TEST(ConvertTexels, EachFormatPacksItsChannelsAndWritesNoFurther) {
    struct Case {
        D3DFORMAT format;
        std::vector<BYTE> texels;  // blue, green, red, alpha
        std::vector<BYTE> expected;
    };
    const Case cases[] = {
        // Four-bit channels keep the high nibbles.
        {D3DFMT_A4R4G4B4, {0xFF, 0x80, 0x40, 0xC0}, {0x8F, 0xC4}},
        // red 0xCD -> 11001, green 0x9A -> 100110, blue 0x47 -> 01000, little-endian.
        {D3DFMT_R5G6B5, {0x47, 0x9A, 0xCD, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, {0xC8, 0xCC, 0xFF, 0xFF}},
        {D3DFMT_A8R8G8B8, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> out(c.expected.size() + 2, 0x11);
        EXPECT_EQ(ConvertTexels(c.texels.data(), out.data(), static_cast<int>(c.texels.size() / 4),
                                c.format),
                  static_cast<int>(c.expected.size()))
            << c.format;
        std::vector<BYTE> expected = c.expected;
        expected.insert(expected.end(), {0x11, 0x11});
        EXPECT_EQ(out, expected) << c.format;
    }
}

TEST(ConvertTexels, RefusesWhatItCannotConvert) {
    const BYTE texel[4] = {1, 2, 3, 4};
    std::array<BYTE, 4> out{9, 9, 9, 9};
    EXPECT_EQ(ConvertTexels(texel, out.data(), 1, D3DFMT_X8R8G8B8), 0);
    EXPECT_EQ(ConvertTexels(texel, out.data(), 0, D3DFMT_A4R4G4B4), 0);
    EXPECT_EQ(ConvertTexels(nullptr, out.data(), 1, D3DFMT_A4R4G4B4), 0);
    EXPECT_EQ(out, (std::array<BYTE, 4>{9, 9, 9, 9}));
    // Without a destination: the size the texels would take.
    EXPECT_EQ(ConvertTexels(texel, nullptr, 3, D3DFMT_A4R4G4B4), 6);
}

class TextureFormats : public ::testing::Test {
  protected:
    void SetUp() override {
        d3d9sim::ResetLimits();
        ASSERT_TRUE(manager_.Init());
        device_ = manager_.GetAdapterDevice(0)->GetDevice();
        ASSERT_NE(device_, nullptr);
    }
    void TearDown() override { d3d9sim::ResetLimits(); }
    void Refuse(std::vector<D3DFORMAT> formats) {
        d3d9sim::Limits limits;
        limits.refusedTextureFormats = std::move(formats);
        d3d9sim::SetLimits(limits);
    }

    HeadlessDesktop desktop_;
    DXDesktopDeviceManager manager_;
    IDirect3DDevice9* device_ = nullptr;
};

TEST_F(TextureFormats, AlphaFormatsInOrderOfPreference) {
    EXPECT_EQ(PickAlphaTextureFormat(device_), D3DFMT_A8R8G8B8);
    Refuse({D3DFMT_A8R8G8B8});
    EXPECT_EQ(PickAlphaTextureFormat(device_), D3DFMT_A4R4G4B4);
    Refuse({D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4});
    EXPECT_EQ(PickAlphaTextureFormat(device_), D3DFMT_UNKNOWN);
    EXPECT_EQ(PickAlphaTextureFormat(nullptr), D3DFMT_UNKNOWN);
}

TEST_F(TextureFormats, OpaqueFormatsInOrderOfPreference) {
    EXPECT_EQ(PickOpaqueTextureFormat(device_), D3DFMT_R5G6B5);
    // 24-bit textures are not offered: the next is 32-bit.
    Refuse({D3DFMT_R5G6B5, D3DFMT_X1R5G5B5});
    EXPECT_EQ(PickOpaqueTextureFormat(device_), D3DFMT_X8R8G8B8);
    const D3DFORMAT one = D3DFMT_A4R4G4B4;
    EXPECT_EQ(PickTextureFormat(device_, &one, 0), D3DFMT_UNKNOWN);
    EXPECT_EQ(PickTextureFormat(device_, nullptr, 1), D3DFMT_UNKNOWN);
}

}  // namespace
