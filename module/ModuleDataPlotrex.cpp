#include "module/ModuleDataPlotrex.h"

#include <strings.h>

#include "graphdata/PlotrexData.h"
#include "graphdata/PlotrexDataProfile.h"
#include "hostfamily/Undefined.h"
#include "module/ModuleDisplayPlotrex.h"
#include "module/ModuleWideValues.h"
#include "module/ProfileHelpers.h"

ModuleDataPlotrex::ModuleDataPlotrex() = default;

ModuleDisplay* ModuleDataPlotrex::CreateDisplay() {
    return new ModuleDisplayPlotrex(this);
}

std::vector<FileType> ModuleDataPlotrex::GetFileTypes() {
    return {};
}

const char* ModuleDataPlotrex::GetModuleName() {
    return kModuleName;
}

std::pair<std::string, std::string> ModuleDataPlotrex::GetRegistrySections() {
    return {kDataSection, kDisplaySection};
}

ModuleDataPlotrex::~ModuleDataPlotrex() = default;

void ModuleDataPlotrex::Terminate() {
    CloseView();
    for (PlotrexData* data : graphs_) {
        if (data != nullptr) {
            data->Terminate();
            delete data;
        }
    }
    // Nothing may point at the deleted graphs if the host calls in again.
    graphs_.Clear();
    currentProfile_ = nullptr;
}

void ModuleDataPlotrex::SaveSettings() {
    WriteProfileIntValue(kDataSection, "NorvaneMode", mode_);
    WriteProfileIntValue(kDataSection, "LabelFontSizeMultiplier", gLabelFontSizeMultiplier);
}

void ModuleDataPlotrex::LoadSettings() {
    int multiplier = 1;
    ReadProfileInt(kDataSection, "LabelFontSizeMultiplier", multiplier, 1);
    gLabelFontSizeMultiplier = static_cast<short>(multiplier);
    int mode = 0;
    ReadProfileInt(kDataSection, "NorvaneMode", mode, graphs_.GetData(kGraphEtr) ? 1 : 0);
    SetMode(mode);
}

void ModuleDataPlotrex::DeleteSettings() {
    ModuleData::DeleteSettings();
    DeleteProfileSection(kDisplaySection);
}

void ModuleDataPlotrex::UpdateLayers() {
    for (PlotrexData* data : graphs_) {
        data->UpdateLayers();
    }
}

void ModuleDataPlotrex::Initialize(HostDataSource* dataSource,
                                   [[maybe_unused]] HostNotificationSink* notificationSink,
                                   [[maybe_unused]] HostDepthSource* depthSource,
                                   [[maybe_unused]] HostVesselSource* vesselSource,
                                   int withEchogram) {
    tracker_.Initialize(dataSource);
    Register(std::make_unique<PlotrexDataProfile>(&tracker_, kGraphTemp, kUnitTemp));
    Register(std::make_unique<PlotrexDataProfile>(&tracker_, kGraphDepth, kUnitDist));
    styles_.FillDefaults();
    SetMode((withEchogram & 0xFF) != 0 ? 1 : 0);
}

void ModuleDataPlotrex::UpdateGraphs() {
    if (!tracker_.AdvanceDistance()) {
        return;
    }
    for (PlotrexData* data : graphs_) {
        data->Update();
    }
}

void ModuleDataPlotrex::SetMode(int mode) {
    mode_ = mode;
    if (mode == 0) {
        if (PlotrexData* depth = graphs_.GetData(kGraphDepth)) {
            currentProfile_ = depth;
        }
    } else if (mode == 2) {
        if (PlotrexData* historic = graphs_.GetData(kGraphHistoric)) {
            currentProfile_ = historic;
        }
    }
}

int ModuleDataPlotrex::GetMode() {
    return mode_;
}

bool ModuleDataPlotrex::GetAnchorDepthAndImmersion(double* a, double* b, double* immersion,
                                                   double* depth) {
    *a = *b = *immersion = *depth = kUndefined;
    // Only a profile view has an anchor point, and none is open.
    return false;
}

bool ModuleDataPlotrex::GetAnchorPosition(double*, double*) {
    return false;
}

void ModuleDataPlotrex::CreateViewForMode() {
    if (mode_ == 0 || mode_ == 2) {
        CreateView();
    } else if (mode_ == 1) {
        CreatePixelView();
    }
}

bool ModuleDataPlotrex::OpenView(DXDesktopDeviceManager*, double, short) {
    return view_ != nullptr;
}

void ModuleDataPlotrex::CloseView() {
    SetAllDisplaysVisible(false);
}

void ModuleDataPlotrex::SetDayNightMode(short mode) {
    styles_.SetLightMode(mode);
    styles_.SetViewLightMode(mode);
    gDayNightMode = mode;
}

void ModuleDataPlotrex::SetLabelSize(short level) {
    const short multiplier = level < 2 ? 1 : level <= 3 ? 2 : 3;
    if (multiplier != gLabelFontSizeMultiplier) {
        gLabelFontSizeMultiplier = multiplier;
    }
}

void ModuleDataPlotrex::SetHistoricProfile(const std::vector<double>&, double, double) {}

void ModuleDataPlotrex::SetTrawlValue(double) {}

void ModuleDataPlotrex::CollectGraphs(int mode, PlotrexDataContainer& container) {
    auto collect = [&](std::initializer_list<const char*> names) {
        for (const char* name : names) {
            container.Add(graphs_.GetData(name));
        }
    };
    switch (mode) {
        case 0:
            collect({kGraphTemp, kGraphDepth, kGraphPrevision, kGraphHistoric, kGraphEtr,
                     kGraphAScope, kGraphMobile, kGraphDReckChalut});
            break;
        case 1:
            collect({kGraphTemp, kGraphDepth, kGraphEtr, kGraphAScope, kGraphMobile});
            break;
        case 2:
            collect({kGraphHistoric});
            break;
        default:
            break;
    }
}

DistanceTracker* ModuleDataPlotrex::GetDistanceTracker(short index) {
    return index == 0 ? &tracker_ : nullptr;
}

void ModuleDataPlotrex::CreateView() {}

void ModuleDataPlotrex::CreatePixelView() {}

OGRLayer* ModuleDataPlotrex::GetLayer(std::int32_t) {
    return nullptr;
}

OGRLayer* ModuleDataPlotrex::GetLayerByName(const std::string&) {
    return nullptr;
}

std::int32_t ModuleDataPlotrex::GetLayerCount() {
    return 0;
}

OGRLayer* ModuleDataPlotrex::QueryLayer(std::int32_t, std::int32_t) {
    return nullptr;
}

void ModuleDataPlotrex::Register(std::unique_ptr<PlotrexData> data) {
    graphs_.Add(data.release());
}

void ModuleDataPlotrex::SetAllDisplaysVisible(bool visible) {
    for (Observer<ModuleNotification>* observer : Observers()) {
        static_cast<ModuleDisplay*>(observer)->SetVisible(visible);
    }
}
