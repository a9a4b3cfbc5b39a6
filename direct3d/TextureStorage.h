#pragma once
// The texels of one texture level, in the texture's own format: as indices
// into the few values written while they are few (TexelPalette), else as a
// linear buffer; and premultiplied 32-bit copies that the compositor
// samples. A lock of the linear buffer hands it out; a lock of the indices
// hands out the rectangle's texels, which unlocking takes back. A lock of
// the whole texture lends them the memory of a sampling copy, which it
// changes entirely anyway: uploading a whole texture then needs no more
// memory than the texture already has. Unlocking marks the changed rectangle; a copy catches up
// with the changes the next time it is asked for, so that uploading a row
// costs only the row. The transposed copy (texture rows as columns) is made
// the first time a draw maps texture rows to screen columns, which makes that
// draw a plain scale. A copy holds its texels already multiplied by the
// opacity the draws apply (pixman's solid mask), so that a draw at a steady
// opacity saves that multiplication; another opacity remakes the copy.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "direct3d/TexelPalette.h"
#include "direct3d/d3d9types.h"
#include "platform/PixmanImage.h"

namespace d3d9soft {

// The rectangle a lock covers: all of a width x height area for a null
// rectangle; false for an empty one or one reaching outside.
bool LockArea(const RECT* rect, int width, int height, RECT* area);

class TextureStorage {
  public:
    // The format must be one TexelSize knows; sizes at least 1.
    TextureStorage(UINT width, UINT height, D3DFORMAT format);

    int Width() const { return width_; }
    int Height() const { return height_; }
    D3DFORMAT Format() const { return format_; }
    bool Opaque() const { return opaque_; }
    // Whether the texels are held as palette indices.
    bool Paletted() const { return palette_.has_value(); }
    const std::uint8_t* Texel(int x, int y) const {
        if (palette_) {
            return palette_->Texel(x, y);
        }
        return bits_.data() + static_cast<std::size_t>(y) * pitch_ + x * texelSize_;
    }

    // A null rectangle locks everything. Fails for an empty rectangle or one
    // reaching outside, and while a lock is out.
    HRESULT Lock(const RECT* rect, DWORD flags, D3DLOCKED_RECT* locked);
    HRESULT Unlock();
    bool Locked() const { return locked_; }

    // Premultiplied texels times alpha / 255; null while a lock has the
    // copies' memory.
    pixman_image_t* SamplingImage(bool transposed, std::uint32_t alpha = 255);
    // Whether SamplingImage would hand out the copy as it is, changing no
    // pixel of it.
    bool SamplingReady(bool transposed, std::uint32_t alpha = 255) const;

  private:
    struct FreeDeleter {
        void operator()(std::uint32_t* p) const;
    };
    struct Copy {
        std::unique_ptr<std::uint32_t[], FreeDeleter> pixels;
        int stride = 0;  // in pixels
        PixmanImagePtr image;
        RECT dirty{};  // in texture coordinates; empty when up to date
        std::uint32_t alpha = 255;
    };
    void Build(Copy& copy, bool transposed, std::uint32_t alpha);
    // A paletted lock's texels: lent by a sampling copy for the whole
    // texture, else the staging buffer.
    std::uint8_t* LockBuffer(const RECT& r, std::size_t bytes);
    // Takes a paletted lock's texels back; the texels go whole when the
    // palette cannot hold their values.
    void WriteBack();
    void Unpalette();
    void Refresh(Copy& copy, bool transposed);
    static void AddDirty(Copy& copy, const RECT& r);

    int width_;
    int height_;
    D3DFORMAT format_;
    int texelSize_;
    int pitch_;
    bool opaque_;
    std::optional<TexelPalette> palette_;
    std::vector<std::uint8_t> bits_;     // empty while paletted
    std::vector<std::uint8_t> staging_;  // a paletted lock's texels
    std::uint8_t* lockBuffer_ = nullptr;
    Copy* lender_ = nullptr;  // the copy whose memory the lock has
    bool locked_ = false;
    bool lockReadOnly_ = false;
    RECT lockRect_{};
    Copy plain_;
    Copy transposed_;
};

}  // namespace d3d9soft
