#pragma once
// One colour of the echo scale: opacity, red, green, blue.
#include "platform/WinTypes.h"

struct EchoColour {
    BYTE a = 0;
    BYTE r = 0;
    BYTE g = 0;
    BYTE b = 0;
    friend bool operator==(const EchoColour&, const EchoColour&) = default;
};
