#pragma once
// The values SetMode and SetRange take: a tag that says what the value is
// for, and for a mode the two mode numbers.
#include <cstdint>

#include "hostfamily/ZXNorvaneApi.h"

namespace norvane {

class NorvaneModeEncoder final : public ZXModeEncoder {
  public:
    int32_t Encode(int16_t frequencyMode, int16_t zoomMode) override;
    int32_t Encode() override;

    // The modes of an encoded value; false when it is no mode value or a mode
    // is outside 1 to 5.
    static bool DecodeMode(int32_t encoded, int16_t& frequencyMode, int16_t& zoomMode);
    static bool IsRangeValue(int32_t encoded);
};

}  // namespace norvane
