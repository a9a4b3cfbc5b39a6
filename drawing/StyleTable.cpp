#include "drawing/StyleTable.h"

#include "drawing/Palette.h"

namespace {

constexpr EchoColour kEchoScale[16] = {
    {0, 0, 128, 255},     {255, 0, 96, 255},  {255, 0, 32, 255},  {255, 0, 255, 255},
    {255, 128, 255, 255}, {255, 0, 170, 255}, {255, 0, 255, 0},   {255, 128, 255, 128},
    {255, 255, 255, 128}, {255, 255, 255, 0}, {255, 204, 204, 0}, {255, 170, 170, 0},
    {255, 255, 0, 0},     {255, 128, 64, 64}, {255, 128, 0, 0},   {255, 64, 0, 0},
};

COLORREF ToColorRef(std::uint32_t argb) {
    return RGB(static_cast<BYTE>(argb >> 16), static_cast<BYTE>(argb >> 8),
               static_cast<BYTE>(argb));
}

}  // namespace

void StyleTable::SetEntry(const std::string& name, BYTE opacity, std::uint32_t colourIndex) {
    entries_[name] = PenRecord{opacity, colourIndex};
}

void StyleTable::FillDefaults() {
    SetEntry("DIST_PEN", 255, 30);
    SetEntry("DIST_BRUSH", 150, 2);
    SetEntry("PREVISION_BRUSH", 150, 31);
    SetEntry("TEMP_PEN", 255, 2);
    SetEntry("BACKGROUND_BRUSH", 255, 33);
    SetEntry("SKY_BRUSH", 255, 32);
    SetEntry("HISTORIC_PEN", 255, 34);
}

void StyleTable::SetLightMode(short mode) {
    lightMode_ = mode;
}

bool StyleTable::Lookup(const char* name, COLORREF* colour, BYTE* opacity) const {
    if (name == nullptr) {
        return false;
    }
    auto it = entries_.find(name);
    if (it == entries_.end()) {
        return false;
    }
    if (colour != nullptr) {
        *colour = ToColorRef(PaletteColour(it->second.colourIndex, lightMode_));
    }
    if (opacity != nullptr) {
        *opacity = it->second.opacity;
    }
    return true;
}

bool StyleTable::GetColour(unsigned index, COLORREF* colour) const {
    if (colour != nullptr) {
        *colour = ToColorRef(PaletteColour(index, lightMode_));
    }
    return true;
}

EchoColour StyleTable::EchoLevelColour(int level) const {
    EchoColour c = (level >= 0 && level < 16) ? kEchoScale[level] : EchoColour{255, 0, 0, 0};
    const int shift = lightMode_ == 1 ? 1 : lightMode_ == 2 ? 2 : 0;
    c.r = static_cast<BYTE>(c.r >> shift);
    c.g = static_cast<BYTE>(c.g >> shift);
    c.b = static_cast<BYTE>(c.b >> shift);
    return c;
}
