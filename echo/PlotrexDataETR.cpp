#include "echo/PlotrexDataETR.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "echo/CEtrModeManager.h"
#include "echo/ETROGRDataSource.h"
#include "echo/EtrSweepRecorder.h"
#include "echo/PlotrexDisplayETR.h"
#include "echo/SounderLibrary.h"
#include "hostfamily/HostObjects.h"
#include "module/CommandNames.h"
#include "module/LayerKey.h"

namespace {

constexpr const char* kModule = "PLOTREX_MODULE";
constexpr std::int32_t kLayerChanged = 2;
constexpr std::int32_t kStatusNoLayer = 2;

// The display index of a DISPLAY command's parameter, -1 for none.
int DisplayIndex(const char* parameter) {
    static const char* const kParameters[] = {
        kCommandEtrDualFreqParam,   kCommandEtrSingleFreqParam, kCommandEtrMarkerZoomParam,
        kCommandEtrBottomZoomParam, kCommandEtrBottomLockParam, kCommandEtrBottomDiscrParam,
    };
    const std::string text = parameter != nullptr ? parameter : "";
    for (int i = 0; i < 6; ++i) {
        if (text == kParameters[i]) {
            return i;
        }
    }
    return -1;
}

// One frequency on the whole screen: channel 1 carries nothing.
bool IsSingleWithoutZoom(const EtrModes& modes) {
    return modes.zoom == 1 && (modes.frequency == 1 || modes.frequency == 3);
}

// The union of two extents; an undefined one gives the other.
Extent Union(const Extent& a, const Extent& b) {
    if (a.IsUndefined()) {
        return b;
    }
    if (b.IsUndefined()) {
        return a;
    }
    return Extent{std::min(a.minX, b.minX), std::max(a.maxX, b.maxX), std::min(a.minY, b.minY),
                  std::max(a.maxY, b.maxY)};
}

}  // namespace

PlotrexDataETR::PlotrexDataETR(DistanceTracker* tracker, const char* nameKey, const char* unitKey)
    : PlotrexData(tracker, nameKey, unitKey) {}

PlotrexDataETR::~PlotrexDataETR() {
    WithdrawCallbacks();
}

PlotrexDisplay* PlotrexDataETR::CreateDisplay() {
    return new PlotrexDisplayETR(this);
}

bool PlotrexDataETR::Initialize(HostNotificationSink* notificationSink) {
    notificationSink_ = notificationSink;
    auto* dataSource = new ETROGRDataSource();
    SetDataSource(dataSource);
    std::int32_t status = kStatusNoLayer;
    if (auto* layer = dynamic_cast<ETROGRLayer*>(dataSource->GetLayer(0))) {
        status = layer->GetStatus();
    }
    ZXSounder* sounder = GetSounder();
    sounder->RegisterSweepCallback(&OnSweep);
    sounder->RegisterEventCallback(&OnSounderEvent);
    registered_ = true;
    if (status != 0) {
        // The module deletes a graph that failed without terminating it.
        WithdrawCallbacks();
        return false;
    }
    return true;
}

void PlotrexDataETR::WithdrawCallbacks() {
    if (!registered_) {
        return;
    }
    ZXSounder* sounder = GetSounder();
    sounder->UnregisterSweepCallback(&OnSweep);
    sounder->UnregisterEventCallback(&OnSounderEvent);
    registered_ = false;
}

void PlotrexDataETR::Terminate() {
    WithdrawCallbacks();
    GetSweepRecorder().DiscardPending();
}

std::int32_t PlotrexDataETR::PollSweeps() {
    return ReceiveSweeps(0.0);
}

void PlotrexDataETR::DeliverSweeps(std::vector<ZxEtrEcho>& sweeps, double) {
    if (sweeps.empty()) {
        return;
    }
    const EtrModes modes = CEtrModeManager::ReadModes();
    if (IsSingleWithoutZoom(modes)) {
        // Store 1 keeps step with store 0, so that both panes scroll alike.
        ZxEtrEcho blank = ZxEtrEcho::Blank();
        for (ZxEtrEcho& sweep : sweeps) {
            if (sweep.channel != 0) {
                continue;
            }
            stores_[0].AddSweep(sweep);
            blank.number = -1;
            stores_[1].AddSweep(blank);
        }
        return;
    }
    for (ZxEtrEcho& sweep : sweeps) {
        if (sweep.channel == 0 || sweep.channel == 1) {
            stores_[sweep.channel].AddSweep(sweep);
        }
    }
}

void PlotrexDataETR::Update() {
    DistanceTracker* tracker = GetDistanceTracker();
    if (tracker == nullptr || tracker->GetDataSource() == nullptr) {
        return;
    }
    const double distance = tracker->GetDistance();
    const bool placed0 = stores_[0].PlaceSweeps(distance);
    const bool placed1 = stores_[1].PlaceSweeps(distance);
    if (placed0 || placed1) {
        ModifyDisplays();
    }
}

ETROGRLayer* PlotrexDataETR::GetPropertyLayer() {
    GDALDataset* dataSource = GetDataSource();
    return dataSource != nullptr ? dynamic_cast<ETROGRLayer*>(dataSource->GetLayer(0)) : nullptr;
}

void PlotrexDataETR::UpdateLayers() {
    EtrSweepRecorder& recorder = GetSweepRecorder();
    // Read and cleared at once: an event between the two would be lost.
    const bool changed = recorder.TakeSettingsChanged();
    if (notificationSink_ == nullptr) {
        return;
    }
    ETROGRLayer* layer = GetPropertyLayer();
    if (!changed && (layer == nullptr || !layer->IsModified())) {
        return;
    }
    GDALDataset* dataSource = GetDataSource();
    for (int i = 0; dataSource != nullptr && i < dataSource->GetLayerCount(); ++i) {
        if (auto* each = dynamic_cast<ETROGRLayer*>(dataSource->GetLayer(i))) {
            each->MarkModified();
        }
    }
    const LayerKeyIndexed key(LayerKey(kModule, ETROGRDataSource::kLayerName), 0);
    const std::int32_t code = kLayerChanged;
    notificationSink_->Notify(&code, &key);
}

Extent PlotrexDataETR::GetExtent() {
    return Union(stores_[1].GetExtent(), stores_[0].GetExtent());
}

OGRLayer* PlotrexDataETR::GetLayer(std::int32_t index) {
    GDALDataset* dataSource = GetDataSource();
    return dataSource != nullptr ? dataSource->GetLayer(index) : nullptr;
}

std::pair<double, double> PlotrexDataETR::GetDepthRange(std::int16_t channel) const {
    const auto [top, bottom] = GetSweepRecorder().GetDepthWindow(channel);
    return {bottom, top};
}

std::int32_t PlotrexDataETR::ExecuteCommand(const char* command, const char* argument) {
    if (command == nullptr) {
        return 0;
    }
    try {
        const std::string name = command;
        if (const auto read = reading_.Execute(name, argument)) {
            if (*read != 0) {
                // Stored sweeps are drawn again in the new look.
                ModifyDisplays();
            }
            return *read;
        }
        CEtrModeManager& modes = GetEtrModeManager();
        if (name == kCommandEtrDisplay) {
            const int index = DisplayIndex(argument);
            if (index >= 0) {
                modes.SetDisplay(index);
            }
            return 1;
        }
        if (name == kCommandEtrFrequency) {
            modes.ToggleFrequency();
            return 1;
        }
        if (name == kCommandEtrRangePlus || name == kCommandEtrRangeMoins) {
            modes.StepRange(name == kCommandEtrRangePlus);
            return 1;
        }
    } catch (...) {
        // Nothing reaches the host: a failing command did nothing.
    }
    return 0;
}

std::int32_t PlotrexDataETR::GetCommandState(const char* command, CommandState* state) {
    if (command == nullptr || state == nullptr) {
        return 0;
    }
    try {
        const std::string name = command;
        if (const auto read = reading_.State(name, state)) {
            return *read;
        }
        CEtrModeManager& modes = GetEtrModeManager();
        const std::string parameter = state->argument != nullptr ? state->argument : "";
        bool enabled = false;
        bool checked = false;
        if (name == kCommandEtrDisplay) {
            const int index = DisplayIndex(state->argument);
            if (index >= 0) {
                modes.GetDisplayState(index, &enabled, &checked);
            }
        } else if (name == kCommandEtrFrequency) {
            if (parameter == kCommandEtrHfParam || parameter == kCommandEtrLfParam) {
                modes.GetFrequencyState(parameter == kCommandEtrHfParam, &enabled, &checked);
            } else if (parameter == kCommandEtrHfLfParam) {
                enabled = CEtrModeManager::ReadModes().frequency != 5;
            }
        } else if (name == kCommandEtrRangePlus || name == kCommandEtrRangeMoins) {
            enabled = !modes.IsAtRangeLimit(name == kCommandEtrRangePlus);
        } else if (name == kCommandEtrShiftPlus || name == kCommandEtrShiftMoins) {
            enabled = !modes.IsAtShiftLimit(name == kCommandEtrShiftPlus);
        } else {
            return 0;
        }
        state->enabled = enabled;
        state->checked = checked;
        return 1;
    } catch (...) {
        // As for the commands: a failing query answers nothing.
    }
    return 0;
}

int PlotrexDataETR::CopySweep(int channel, int index, double* top, double* bottom,
                              std::uint8_t* levels, int capacity) const {
    if (index < 0 || (channel != 0 && channel != 1) ||
        static_cast<std::size_t>(index) >= stores_[channel].size()) {
        return -1;
    }
    const ZxEtrEcho& sweep = stores_[channel][static_cast<std::size_t>(index)];
    if (top != nullptr) {
        *top = sweep.windowTop;
    }
    if (bottom != nullptr) {
        *bottom = sweep.windowBottom;
    }
    if (levels == nullptr) {
        return static_cast<int>(sweep.sampleCount);
    }
    const int count = std::clamp(static_cast<int>(sweep.sampleCount), 0, std::max(capacity, 0));
    std::copy_n(sweep.samples, count, levels);
    return count;
}
