#include "graphdata/PlotrexData.h"

#include <algorithm>

#include "drawing/PlotrexDisplay.h"

PlotrexData::PlotrexData(DistanceTracker* tracker, const char* nameKey, const char* unitKey)
    : name_(nameKey ? nameKey : ""), unit_(unitKey ? unitKey : ""), tracker_(tracker) {}

PlotrexData::~PlotrexData() {
    for (PlotrexDisplay* display : displays_) {
        delete display;
    }
}

void PlotrexData::ModifyDisplays() {
    for (PlotrexDisplay* display : displays_) {
        if (display != nullptr) {
            display->SetModified();
        }
    }
}

std::int32_t PlotrexData::ExecuteCommand(const char*, const char*) {
    return 0;
}

std::int32_t PlotrexData::GetCommandState(const char*, CommandState*) {
    return 0;
}

bool PlotrexData::DeleteDisplay(PlotrexDisplay* display) {
    auto it = std::find(displays_.begin(), displays_.end(), display);
    if (it == displays_.end()) {
        return false;
    }
    // Out of the container first: the display's destructor may look at it.
    displays_.erase(it);
    delete display;
    return true;
}

void PlotrexData::Update() {}

void PlotrexData::UpdateLayers() {}

void PlotrexData::Terminate() {}

bool PlotrexData::GetValueAt(double, double*, double*, double*) {
    return false;
}

Extent PlotrexData::GetExtent() {
    return Extent();
}
