// Texel conversion into the echogram's texture formats, and the choice of
// those formats on a device.
#include <gtest/gtest.h>

#include <array>

#include "desktop/DXDesktopDeviceManager.h"
#include "direct3d/D3D9Sim.h"
#include "drawing/ConvertTexels.h"
#include "platform/HeadlessDesktop.h"

namespace {

TEST(ConvertTexels, FourBitChannelsKeepTheHighNibbles) {
    const BYTE texel[4] = {0xFF, 0x80, 0x40, 0xC0};  // blue, green, red, alpha
    std::array<BYTE, 4> out{0x11, 0x11, 0x11, 0x11};
    EXPECT_EQ(ConvertTexels(texel, out.data(), 1, D3DFMT_A4R4G4B4), 2);
    EXPECT_EQ(out, (std::array<BYTE, 4>{0x8F, 0xC4, 0x11, 0x11}));
}

TEST(ConvertTexels, FiveSixFivePacksRedGreenBlueLittleEndian) {
    // red 0xCD -> 11001, green 0x9A -> 100110, blue 0x47 -> 01000.
    const BYTE texels[8] = {0x47, 0x9A, 0xCD, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
    std::array<BYTE, 4> out{};
    EXPECT_EQ(ConvertTexels(texels, out.data(), 2, D3DFMT_R5G6B5), 4);
    const unsigned first = out[0] | out[1] << 8;
    EXPECT_EQ(first, 0b11001'100110'01000u);
    EXPECT_EQ(out[2], 0xFF);
    EXPECT_EQ(out[3], 0xFF);
}

TEST(ConvertTexels, ThirtyTwoBitsAreCopied) {
    const BYTE texels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    std::array<BYTE, 8> out{};
    EXPECT_EQ(ConvertTexels(texels, out.data(), 2, D3DFMT_A8R8G8B8), 8);
    EXPECT_EQ(out, (std::array<BYTE, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
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
