#include "drawing/PlotrexDisplay.h"

#include <cerrno>
#include <cstdlib>

#include "graphdata/PlotrexData.h"
#include "persistence/Serializater.h"

namespace {

std::string VisibleKey(const PlotrexData& data) {
    return std::string(data.GetName()) + "_visible";
}

}  // namespace

PlotrexDisplay::PlotrexDisplay(PlotrexData* data) : data_(data) {
    if (data != nullptr) {
        data->GetDisplays().push_back(this);
    }
}

PlotrexDisplay::~PlotrexDisplay() = default;

void PlotrexDisplay::SetModified() {
    modified_ = true;
}

bool PlotrexDisplay::IsModified() {
    return modified_;
}

void PlotrexDisplay::Load(Serializater& s) {
    // Without data there is no name to keep the setting under.
    if (data_ == nullptr) {
        return;
    }
    const std::string text = s.Read(VisibleKey(*data_));
    if (text.empty()) {
        visible_ = true;
        return;
    }
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    visible_ = (end == text.c_str() || errno != 0) ? true : value != 0;
}

void PlotrexDisplay::Save(Serializater& s) {
    if (data_ == nullptr) {
        return;
    }
    s.Write(VisibleKey(*data_), visible_ ? "1" : "0");
}

bool PlotrexDisplay::SetVisible(bool visible) {
    visible_ = visible;
    return visible_;
}

bool PlotrexDisplay::IsVisible() {
    return visible_;
}

short PlotrexDisplay::GetLayerCount() {
    return 1;
}

Margins PlotrexDisplay::GetMargins() {
    return Margins();
}

bool PlotrexDisplay::GetLegendEntry(std::string&) {
    return false;
}
