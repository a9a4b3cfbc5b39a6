#include "direct3d/TexelPalette.h"

#include <algorithm>
#include <cstring>

namespace d3d9soft {

TexelPalette::TexelPalette(int width, int height, int texelSize)
    : width_(width),
      texelSize_(texelSize),
      indices_(static_cast<std::size_t>(width) * height, 0),
      values_{0},
      bytes_(static_cast<std::size_t>(texelSize), 0) {
    lookup_.fill(Slot{0, -1});
}

namespace {

// The loops for one texel size, so that each copy of a texel is a load and
// a store rather than a call.
template <std::size_t kSize>
void ReadTexels(const std::uint8_t* row, int count, const std::uint8_t* bytes, std::uint8_t* dst) {
    for (int i = 0; i < count; ++i) {
        std::memcpy(dst + i * kSize, bytes + row[i] * kSize, kSize);
    }
}

}  // namespace

void TexelPalette::Read(int x, int y, int count, std::uint8_t* dst) const {
    const std::uint8_t* row = Row(y) + x;
    if (texelSize_ == 4) {
        ReadTexels<4>(row, count, bytes_.data(), dst);
    } else {
        ReadTexels<2>(row, count, bytes_.data(), dst);
    }
}

int TexelPalette::IndexOf(std::uint32_t value) {
    Slot& slot = lookup_[Hash(value)];
    int index =
        static_cast<int>(std::find(values_.begin(), values_.end(), value) - values_.begin());
    if (index == ValueCount()) {
        if (ValueCount() == kMaxValues) {
            return -1;
        }
        values_.push_back(value);
        const auto size = static_cast<std::size_t>(texelSize_);
        bytes_.resize(bytes_.size() + size);
        std::memcpy(bytes_.data() + bytes_.size() - size, &value, size);
    }
    slot = Slot{value, static_cast<std::int16_t>(index)};
    return index;
}

template <class Stored>
bool TexelPalette::WriteRow(std::uint8_t* row, int count, const std::uint8_t* src) {
    for (int i = 0; i < count; ++i) {
        Stored stored;
        std::memcpy(&stored, src + i * sizeof(Stored), sizeof(Stored));
        const std::uint32_t value = stored;
        // Most values are found in their slot of the lookup; the list is
        // searched for the others.
        const Slot& slot = lookup_[Hash(value)];
        int index = slot.index;
        if (slot.value != value || index < 0) {
            index = IndexOf(value);
            if (index < 0) {
                return false;
            }
        }
        row[i] = static_cast<std::uint8_t>(index);
    }
    return true;
}

bool TexelPalette::Write(int x, int y, int count, const std::uint8_t* src) {
    std::uint8_t* row = indices_.data() + static_cast<std::size_t>(y) * width_ + x;
    return texelSize_ == 4 ? WriteRow<std::uint32_t>(row, count, src)
                           : WriteRow<std::uint16_t>(row, count, src);
}

}  // namespace d3d9soft
