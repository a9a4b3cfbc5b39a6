#include "drawing/StyleTable.h"

#include "drawing/Palette.h"

namespace {

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
    return EchoShownColour(ShownEchoLevel(level, echoLook_.gain, echoLook_.threshold));
}

EchoColour StyleTable::EchoShownColour(int level) const {
    return EchoScaleColour(echoLook_.scale, level, lightMode_);
}
