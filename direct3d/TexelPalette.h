#pragma once
// A texture's texels as one byte each, an index into the few texel values
// written so far: an echogram's texture holds a colour per level, a handful
// of values in a million texels, in a quarter of the bytes of the texels
// themselves. Up to 256 values; a write that needs more fails, and the owner
// then keeps its texels whole.
#include <array>
#include <cstdint>
#include <vector>

namespace d3d9soft {

class TexelPalette {
  public:
    static constexpr int kMaxValues = 256;

    // All texels zero; texels of 2 or 4 bytes (any other size is taken as 2).
    TexelPalette(int width, int height, int texelSize);

    int ValueCount() const { return static_cast<int>(values_.size()); }
    // Every value's bytes as the format lays them out, one after another.
    const std::uint8_t* ValueBytes() const { return bytes_.data(); }
    const std::uint8_t* Row(int y) const {
        return indices_.data() + static_cast<std::size_t>(y) * width_;
    }
    // The bytes of texel (x, y).
    const std::uint8_t* Texel(int x, int y) const {
        return bytes_.data() + static_cast<std::size_t>(Row(y)[x]) * texelSize_;
    }

    // count texels from (x, y) on, into dst as the format lays them out.
    void Read(int x, int y, int count, std::uint8_t* dst) const;
    // count texels from src into (x, y) on. False when they need more values
    // than the palette holds: the texels before the first that does not fit
    // are written, the others are left as they were.
    bool Write(int x, int y, int count, const std::uint8_t* src);

  private:
    static constexpr int kLookupBits = 10;
    static std::size_t Hash(std::uint32_t value) {
        return (value * 2654435761U) >> (32 - kLookupBits);
    }
    // The index of a value, added when new, and put in the lookup; -1 when
    // there is no room.
    int IndexOf(std::uint32_t value);
    template <class Stored>
    bool WriteRow(std::uint8_t* row, int count, const std::uint8_t* src);

    int width_;
    int texelSize_;
    std::vector<std::uint8_t> indices_;
    std::vector<std::uint32_t> values_;
    std::vector<std::uint8_t> bytes_;  // the values as stored, for Texel()
    struct Slot {
        std::uint32_t value;
        std::int16_t index;  // -1 for an empty slot
    };
    std::array<Slot, std::size_t{1} << kLookupBits> lookup_;
};

}  // namespace d3d9soft
