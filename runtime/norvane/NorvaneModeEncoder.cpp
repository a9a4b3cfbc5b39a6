#include "runtime/norvane/NorvaneModeEncoder.h"

namespace norvane {

namespace {

constexpr uint32_t kModeTag = 0x4E4D0000u;   // "NM"
constexpr uint32_t kRangeTag = 0x4E520000u;  // "NR"
constexpr uint32_t kTagMask = 0xFFFF0000u;

}  // namespace

int32_t NorvaneModeEncoder::Encode(int16_t frequencyMode, int16_t zoomMode) {
    const uint32_t value = kModeTag | (static_cast<uint32_t>(frequencyMode & 0xFF) << 8) |
                           static_cast<uint32_t>(zoomMode & 0xFF);
    return static_cast<int32_t>(value);
}

int32_t NorvaneModeEncoder::Encode() {
    return static_cast<int32_t>(kRangeTag);
}

bool NorvaneModeEncoder::DecodeMode(int32_t encoded, int16_t& frequencyMode, int16_t& zoomMode) {
    const uint32_t value = static_cast<uint32_t>(encoded);
    if ((value & kTagMask) != kModeTag) {
        return false;
    }
    const int16_t frequency = static_cast<int16_t>((value >> 8) & 0xFF);
    const int16_t zoom = static_cast<int16_t>(value & 0xFF);
    if (frequency < 1 || frequency > 5 || zoom < 1 || zoom > 5) {
        return false;
    }
    frequencyMode = frequency;
    zoomMode = zoom;
    return true;
}

bool NorvaneModeEncoder::IsRangeValue(int32_t encoded) {
    return static_cast<uint32_t>(encoded) == kRangeTag;
}

}  // namespace norvane
