#pragma once
// The module-wide pens and brushes: named entries pointing into the palette,
// drawn in the current light mode (0 day, 1 dusk, 2 night).
#include <cstdint>
#include <map>
#include <string>

#include "platform/WinTypes.h"

struct PenRecord {
    BYTE opacity = 255;
    std::uint32_t colourIndex = 0;
};

struct EchoColour {
    BYTE a = 0;
    BYTE r = 0;
    BYTE g = 0;
    BYTE b = 0;
    friend bool operator==(const EchoColour&, const EchoColour&) = default;
};

class StyleTable {
  public:
    void SetEntry(const std::string& name, BYTE opacity, std::uint32_t colourIndex);
    // The seven styles of the module's graphs.
    void FillDefaults();

    void SetLightMode(short mode);
    short GetLightMode() const { return lightMode_; }
    // The second copy of the light mode, which the profile view reads through
    // its address.
    short* ViewLightModeField() { return &viewLightMode_; }
    void SetViewLightMode(short mode) { viewLightMode_ = mode; }

    // False, outputs untouched, when the name has no entry; else the entry's
    // colour (0x00BBGGRR) in the current light mode and its opacity.
    bool Lookup(const char* name, COLORREF* colour, BYTE* opacity) const;
    // The palette colour of an index in the current light mode; always true.
    bool GetColour(unsigned index, COLORREF* colour) const;
    // night when the light mode is 2 (night), else day.
    int DayNight(int day, int night) const { return lightMode_ == 2 ? night : day; }
    // The colour of echo level 0..15, darkened for dusk and night.
    EchoColour EchoLevelColour(int level) const;

    const std::map<std::string, PenRecord>& Entries() const { return entries_; }

  private:
    std::map<std::string, PenRecord> entries_;
    short lightMode_ = 0;
    short viewLightMode_ = 0;
};
