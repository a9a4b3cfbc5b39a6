#include "echo/CEtrModeManager.h"

#include <array>

#include "echo/SounderLibrary.h"

namespace {

CEtrModeManager gManager;

struct RangeTable {
    std::int16_t locked = 0;
    std::array<std::int32_t, 8> ranges{};

    // Position of the first entry equal to range, -1 when there is none.
    int Find(std::int32_t range) const {
        for (int i = 0; i < static_cast<int>(ranges.size()); ++i) {
            if (ranges[static_cast<std::size_t>(i)] == range) {
                return i;
            }
        }
        return -1;
    }
};

RangeTable ReadRangeTable() {
    RangeTable table;
    GetSounder()->GetRangeTable(&table.locked, table.ranges.data());
    return table;
}

std::int32_t ReadRange(std::int32_t channel, std::int32_t* shift) {
    std::int32_t range = 0;
    GetSounder()->GetRange(channel, &range, shift);
    return range;
}

void ApplyModes(std::int16_t frequency, std::int16_t zoom) {
    GetSounder()->SetMode(GetModeEncoder()->Encode(frequency, zoom));
}

}  // namespace

CEtrModeManager& GetEtrModeManager() {
    return gManager;
}

CEtrModeManager::~CEtrModeManager() {
    selectedFrequency_ = -1;
}

EtrModes CEtrModeManager::ReadModes() {
    EtrModes modes;
    GetSounder()->GetModes(&modes.frequency, &modes.zoom);
    return modes;
}

void CEtrModeManager::GetPaneKind(std::int16_t channel, std::int32_t* kind) const {
    if (kind == nullptr) {
        return;
    }
    const EtrModes modes = ReadModes();
    switch (modes.zoom) {
        case 1:
            if (modes.frequency == 5) {
                *kind = kPaneDualFrequency;
            } else if (channel == 1 && (modes.frequency == 2 || modes.frequency == 4)) {
                *kind = kPaneBottomLock;
            } else {
                *kind = kPaneSingleFrequency;
            }
            break;
        case 2:
            *kind = channel == 1 ? kPaneBottomZoom : kPaneSingleFrequency;
            break;
        case 3:
            *kind = channel == 1 ? kPaneMarkerZoom : kPaneSingleFrequency;
            break;
        case 4:
        case 5:
            *kind = channel == 1 ? kPaneBottomDiscrimination : kPaneSingleFrequency;
            break;
        default:
            break;
    }
}

int CEtrModeManager::GetActiveChannel(bool main) const {
    if (ReadModes().frequency == 5) {
        return selectedFrequency_ == 0 ? 1 : 0;
    }
    return main ? 0 : 1;
}

bool CEtrModeManager::HasSecondPane() const {
    const EtrModes modes = ReadModes();
    return !(modes.zoom == 1 && (modes.frequency == 1 || modes.frequency == 3));
}

std::int16_t CEtrModeManager::IsLowFrequencySingle() const {
    const EtrModes modes = ReadModes();
    return modes.frequency == 3 || modes.frequency == 4 ? 1 : 0;
}

bool CEtrModeManager::IsHighFrequency(const EtrModes& modes) const {
    switch (modes.frequency) {
        case 1:
        case 2:
            return true;
        case 5:
            return selectedFrequency_ == 1;
        default:
            return false;
    }
}

void CEtrModeManager::ToggleFrequency() {
    EtrModes modes = ReadModes();
    switch (modes.frequency) {
        case 1:
        case 2:
            modes.frequency = static_cast<std::int16_t>(modes.frequency + 2);
            selectedFrequency_ = 0;
            break;
        case 3:
        case 4:
            modes.frequency = static_cast<std::int16_t>(modes.frequency - 2);
            selectedFrequency_ = 1;
            break;
        case 5:
            selectedFrequency_ = selectedFrequency_ != 0 ? 0 : 1;
            break;
        default:
            return;
    }
    ApplyModes(modes.frequency, modes.zoom);
}

void CEtrModeManager::SetDisplay(std::int32_t index) {
    const bool hf = IsHighFrequency(ReadModes());
    const std::int16_t single = hf ? 1 : 3;
    const std::int16_t zoomed = hf ? 2 : 4;
    switch (index) {
        case 0:
            ApplyModes(5, 1);
            break;
        case 1:
            ApplyModes(single, 1);
            break;
        case 2:
            ApplyModes(zoomed, 3);
            break;
        case 3:
            ApplyModes(zoomed, 2);
            break;
        case 4:
            ApplyModes(zoomed, 1);
            break;
        case 5:
            ApplyModes(zoomed, 4);
            break;
        default:
            ApplyModes(1, 1);
            break;
    }
}

void CEtrModeManager::GetDisplayState(std::int32_t index, bool* enabled, bool* checked) const {
    const EtrModes modes = ReadModes();
    bool on = false;
    switch (index) {
        case 0:
            on = modes.frequency == 5;
            break;
        case 1:
            on = modes.frequency == 1 || modes.frequency == 3;
            break;
        case 2:
            on = modes.zoom == 3;
            break;
        case 3:
            on = modes.zoom == 2;
            break;
        case 4:
            on = modes.zoom == 1 && (modes.frequency == 2 || modes.frequency == 4);
            break;
        case 5:
            on = modes.zoom == 4 || modes.zoom == 5;
            break;
        default:
            break;
    }
    if (enabled != nullptr) {
        *enabled = index >= 0 && index <= 5;
    }
    if (checked != nullptr) {
        *checked = on;
    }
}

void CEtrModeManager::GetFrequencyState(bool isHF, bool* enabled, bool* checked) const {
    const EtrModes modes = ReadModes();
    bool on = false;
    switch (modes.frequency) {
        case 1:
        case 2:
            on = isHF;
            break;
        case 3:
        case 4:
            on = !isHF;
            break;
        case 5:
            on = isHF ? selectedFrequency_ == 1 : selectedFrequency_ != 1;
            break;
        default:
            break;
    }
    if (enabled != nullptr) {
        *enabled = true;
    }
    if (checked != nullptr) {
        *checked = on;
    }
}

void CEtrModeManager::StepRange(bool up) {
    const std::int32_t channel = GetActiveChannel(false);
    std::int32_t shift = 0;
    const std::int32_t range = ReadRange(channel, &shift);
    const RangeTable table = ReadRangeTable();
    const int at = table.Find(range);
    std::int32_t next = range;
    if (up && at >= 0 && at < static_cast<int>(table.ranges.size()) - 1) {
        next = table.ranges[static_cast<std::size_t>(at + 1)];
    } else if (!up && at > 0) {
        next = table.ranges[static_cast<std::size_t>(at - 1)];
    }
    ZXSounder* sounder = GetSounder();
    sounder->SetRange(GetModeEncoder()->Encode(), 0, next, shift);
    sounder->SetRange(GetModeEncoder()->Encode(), 1, next, shift);
}

bool CEtrModeManager::IsAtRangeLimit(bool upper) const {
    const std::int32_t channel = GetActiveChannel(false);
    std::int32_t shift = 0;
    const std::int32_t range = ReadRange(channel, &shift);
    const RangeTable table = ReadRangeTable();
    const int at = table.Find(range);
    if (at < 0 || table.locked != 0) {
        return true;
    }
    const int last = static_cast<int>(table.ranges.size()) - 1;
    if (upper) {
        return at == last || table.ranges[static_cast<std::size_t>(at + 1)] == range;
    }
    return at == 0 || table.ranges[static_cast<std::size_t>(at - 1)] == range;
}

bool CEtrModeManager::IsAtShiftLimit(bool upper) const {
    const std::int32_t channel = GetActiveChannel(false);
    std::int32_t shift = 0;
    GetSounder()->GetShift(channel, &shift);
    const RangeTable table = ReadRangeTable();
    if (table.locked != 0) {
        return true;
    }
    return upper ? shift == table.ranges.back() : shift == 0;
}
