#pragma once
// The module-wide pens and brushes: named entries pointing into the palette,
// drawn in the current light mode (0 day, 1 dusk, 2 night).
#include <cstdint>
#include <map>
#include <string>

#include "drawing/EchoColour.h"
#include "drawing/EchoLook.h"
#include "platform/WinTypes.h"

struct PenRecord {
    BYTE opacity = 255;
    std::uint32_t colourIndex = 0;
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
    // The colour of the sounder's echo level 0..15 as drawn: through the gain
    // and threshold, in the colour scale, darkened for dusk and night.
    EchoColour EchoLevelColour(int level) const;
    // The colour of a shown level (the colour bar's), without gain or threshold.
    EchoColour EchoShownColour(int level) const;

    const EchoLook& GetEchoLook() const { return echoLook_; }
    void SetEchoLook(const EchoLook& look) { echoLook_ = look; }
    bool IsColourBarShown() const { return colourBar_; }
    void ShowColourBar(bool shown) { colourBar_ = shown; }

    const std::map<std::string, PenRecord>& Entries() const { return entries_; }

  private:
    std::map<std::string, PenRecord> entries_;
    short lightMode_ = 0;
    short viewLightMode_ = 0;
    EchoLook echoLook_;
    // Hidden until shown, as the forecast is.
    bool colourBar_ = false;
};
