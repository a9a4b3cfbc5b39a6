#include "module/ModuleDataPlotrex.h"

#include <strings.h>

#include <cmath>
#include <string>

#include "echo/PlotrexDataETR.h"
#include "echo/PlotrexDisplayETR.h"
#include "graphdata/PlotrexData.h"
#include "graphdata/PlotrexDataAScope.h"
#include "graphdata/PlotrexDataDReckChalut.h"
#include "graphdata/PlotrexDataMobile.h"
#include "graphdata/PlotrexDataPrevision.h"
#include "graphdata/PlotrexDataProfile.h"
#include "graphdata/PlotrexDataProfileHistoric.h"
#include "hostfamily/Undefined.h"
#include "layout/PlotrexView.h"
#include "layout/PlotrexViewPixel.h"
#include "module/EchoLookSettings.h"
#include "module/ModuleDisplayPlotrex.h"
#include "module/ModuleWideValues.h"
#include "module/ProfileHelpers.h"
#include "module/StoredSetting.h"
#include "module/UserMessages.h"
#include "persistence/SerializaterReg.h"
#include "platform/WinApp.h"

namespace {

// The size of a view made without a host window to hold it.
constexpr RECT kTopLevelViewRect{0, 0, 800, 600};

// The host may leave out an output it does not want.
void Put(double* out, double value) {
    if (out != nullptr) {
        *out = value;
    }
}

}  // namespace

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

// A view still open goes here, before the style table it points to.
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
    // Before Initialize the mode is -1, which no later run could use.
    if (mode_ >= 0 && mode_ <= 2) {
        WriteProfileIntValue(kDataSection, plotrex_settings::kDisplayModeKey, mode_);
    }
    if (gLabelFontSizeMultiplier >= 1 && gLabelFontSizeMultiplier <= 3) {
        WriteProfileIntValue(kDataSection, plotrex_settings::kLabelSizeKey,
                             gLabelFontSizeMultiplier);
    }
    SaveEchoLook(styles_);
}

void ModuleDataPlotrex::LoadSettings() {
    gLabelFontSizeMultiplier = static_cast<short>(
        ReadStoredSetting(kDataSection, plotrex_settings::kLabelSizeKey, 1, 3, 1));
    LoadEchoLook(styles_);
    const bool echogram = graphs_.GetData(kGraphEtr) != nullptr;
    int mode =
        ReadStoredSetting(kDataSection, plotrex_settings::kDisplayModeKey, 0, 2, echogram ? 1 : 0);
    if (mode == 1 && !echogram) {
        // The pixel view shows nothing but the echogram: without it, the
        // profile view, as when nothing was stored.
        ShowUserWarning("stored NorvaneMode 1 shows the echogram, which this run has not; using 0");
        mode = 0;
    }
    SetMode(mode);
}

void ModuleDataPlotrex::DeleteSettings() {
    ModuleData::DeleteSettings();
    DeleteProfileSection(kDisplaySection);
    DeleteProfileSection(kHistoricDisplaySection);
}

void ModuleDataPlotrex::UpdateLayers() {
    for (PlotrexData* data : graphs_) {
        data->UpdateLayers();
    }
}

void ModuleDataPlotrex::Initialize(HostDataSource* dataSource,
                                   HostNotificationSink* notificationSink,
                                   HostDepthSource* depthSource, HostVesselSource* vesselSource,
                                   int withEchogram) {
    tracker_.Initialize(dataSource);
    Register(std::make_unique<PlotrexDataProfile>(&tracker_, kGraphTemp, kUnitTemp));
    Register(std::make_unique<PlotrexDataProfile>(&tracker_, kGraphDepth, kUnitDist));
    Register(std::make_unique<PlotrexDataProfileHistoric>(&tracker_, kGraphHistoric, kUnitDist));
    auto prevision = std::make_unique<PlotrexDataPrevision>(&tracker_, kGraphPrevision, kUnitDist);
    if (prevision->Init(depthSource, vesselSource)) {
        Register(std::move(prevision));
    }
    if ((withEchogram & 0xFF) != 0) {
        auto echogram = std::make_unique<PlotrexDataETR>(&tracker_, kGraphEtr, kUnitDist);
        // A graph that failed is deleted unregistered; the display mode stays.
        if (echogram->Initialize(notificationSink)) {
            echogram->SetStyleTable(&styles_);
            Register(std::move(echogram));
            // The A-scope shows the echogram's sweeps: it exists exactly with it.
            Register(std::make_unique<PlotrexDataAScope>(&tracker_, kGraphAScope, kUnitDist));
        }
    }
    auto mobile = std::make_unique<PlotrexDataMobile>(&tracker_, kGraphMobile, kUnitDist);
    if (mobile->Init(vesselSource)) {
        Register(std::move(mobile));
    }
    Register(std::make_unique<PlotrexDataDReckChalut>(&tracker_, kGraphDReckChalut, kUnitDist));
    styles_.FillDefaults();
    SetMode((withEchogram & 0xFF) != 0 ? 1 : 0);
}

void ModuleDataPlotrex::UpdateGraphs() {
    // The sweeps queued since the last cycle go in before anything moves.
    if (auto* echogram = dynamic_cast<PlotrexDataETR*>(graphs_.GetData(kGraphEtr))) {
        echogram->PollSweeps();
    }
    if (!tracker_.AdvanceDistance()) {
        return;
    }
    for (PlotrexData* data : graphs_) {
        data->Update();
    }
}

void ModuleDataPlotrex::SetMode(int mode) {
    // The pixel view shows nothing but the echogram: without it, the profile
    // view, so that the host never ends up without a view to open.
    if (mode == 1 && graphs_.GetData(kGraphEtr) == nullptr) {
        mode = 0;
    }
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
    double first = kUndefined;
    double second = kUndefined;
    double sunk = kUndefined;
    double bottom = kUndefined;
    bool found = false;
    if (PlotrexView* view = ProfileView()) {
        PlotrexOrganizer& organizer = view->GetOrganizer();
        bottom = organizer.GetValueAtAnchor(kUnitDist, &first, &second);
        double unusedA = kUndefined;
        double unusedB = kUndefined;
        sunk = organizer.GetValueAtAnchor(PlotrexOrganizer::kImmersion, &unusedA, &unusedB);
        found = !IsUndefined(bottom) && !IsUndefined(sunk);
    }
    Put(a, first);
    Put(b, second);
    // Depths are kept negative; the host wants them as positive figures.
    Put(immersion, found ? -sunk : kUndefined);
    Put(depth, found ? -bottom : kUndefined);
    return found;
}

bool ModuleDataPlotrex::GetAnchorPosition(double* a, double* b) {
    PlotrexView* view = ProfileView();
    if (currentProfile_ == nullptr || view == nullptr) {
        return false;
    }
    double first = kUndefined;
    double second = kUndefined;
    const double value =
        view->GetOrganizer().GetValueAtAnchor(currentProfile_->GetUnit(), &first, &second);
    Put(a, first);
    Put(b, second);
    return !IsUndefined(value) && !IsUndefined(first) && !IsUndefined(second);
}

void ModuleDataPlotrex::CreateViewForMode() {
    if (mode_ == 0 || mode_ == 2) {
        CreateView();
    } else if (mode_ == 1) {
        CreatePixelView();
    }
}

bool ModuleDataPlotrex::OpenView(DXDesktopDeviceManager* deviceManager, double unitsPerPixel,
                                 short referenceLevel) {
    if (view_ == nullptr) {
        return false;
    }
    // Setting the view up twice would leave the first device and displays
    // behind.
    if (viewOpened_) {
        return true;
    }
    PlotrexDataContainer collected;
    CollectGraphs(mode_, collected);
    PlotrexDataContainer graphs;
    for (PlotrexData* data : collected) {
        if (data != nullptr) {
            graphs.Add(data);
        }
    }
    if (PlotrexViewPixel* pixelView = PixelView()) {
        if (!pixelView->Init(deviceManager, graphs, &styles_)) {
            return false;
        }
        SerializaterReg settings(AfxGetApp(), kDisplaySection);
        pixelView->Load(settings);
        viewOpened_ = true;
        return true;
    }
    PlotrexView* view = ProfileView();
    if (view == nullptr) {
        return false;
    }
    PlotrexOrganizer& organizer = view->GetOrganizer();
    const char* mainType = currentProfile_ != nullptr ? currentProfile_->GetName() : "";
    DistanceTracker* tracker = GetDistanceTracker(static_cast<short>(mode_));
    if (!organizer.Init(view, deviceManager, graphs, tracker, &styles_, unitsPerPixel,
                        referenceLevel, mainType)) {
        return false;
    }
    // With no ship to follow, a first opening shows the whole survey; a
    // layout the user left is kept.
    layoutSection_ = tracker != nullptr ? kDisplaySection : kHistoricDisplaySection;
    SerializaterReg settings(AfxGetApp(), layoutSection_);
    if (!organizer.Load(settings) && tracker == nullptr) {
        organizer.FitWholeWhenDataShows();
    }
    view->StartTimers(styles_.ViewLightModeField());
    organizer.CenterOnVessel();
    viewOpened_ = true;
    SetAllDisplaysVisible(true);
    return true;
}

void ModuleDataPlotrex::CloseView() {
    if (view_ != nullptr) {
        if (PlotrexView* view = ProfileView()) {
            PlotrexOrganizer& organizer = view->GetOrganizer();
            // A view that never opened would overwrite the saved layout with
            // its defaults.
            if (viewOpened_) {
                SerializaterReg settings(AfxGetApp(), layoutSection_);
                organizer.Save(settings);
            }
            organizer.Shutdown();
        } else if (PlotrexViewPixel* pixelView = PixelView()) {
            if (viewOpened_) {
                SerializaterReg settings(AfxGetApp(), kDisplaySection);
                pixelView->Save(settings);
            }
            pixelView->Shutdown();
        }
        view_->DestroyWindow();
        view_.reset();
        viewOpened_ = false;
    }
    SetAllDisplaysVisible(false);
}

void ModuleDataPlotrex::SetDayNightMode(short mode) {
    styles_.SetLightMode(mode);
    styles_.SetViewLightMode(mode);
    gDayNightMode = mode;
    // The echogram's texture holds colours: they are made again.
    if (PlotrexView* view = ProfileView()) {
        if (auto* echogram = dynamic_cast<PlotrexDisplayETR*>(
                view->GetOrganizer().FindDisplayByName(kGraphEtr))) {
            echogram->RebuildColours();
        }
    } else if (PlotrexViewPixel* pixelView = PixelView()) {
        pixelView->RebuildEchogramColours();
    }
}

void ModuleDataPlotrex::SetLabelSize(short level) {
    const short multiplier = level < 2 ? 1 : level <= 3 ? 2 : 3;
    if (multiplier == gLabelFontSizeMultiplier) {
        return;
    }
    gLabelFontSizeMultiplier = multiplier;
    if (view_ != nullptr) {
        view_->RedrawWindow(nullptr, nullptr,
                            RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

void ModuleDataPlotrex::SetHistoricProfile(const std::vector<double>& points, double first,
                                           double second) {
    auto* historic = dynamic_cast<PlotrexDataProfileHistoric*>(graphs_.GetData(kGraphHistoric));
    if (historic == nullptr) {
        return;
    }
    // The graph keeps its points in single precision, as the host's positions are.
    historic->SetProfile(std::vector<float>(points.begin(), points.end()), first, second);
}

void ModuleDataPlotrex::SetTrawlValue(const TrawlParameters& value) {
    auto* trawl = dynamic_cast<PlotrexDataDReckChalut*>(graphs_.GetData(kGraphDReckChalut));
    if (trawl == nullptr) {
        return;
    }
    trawl->SetParameters(value);
    if (PlotrexView* view = ProfileView()) {
        view->Invalidate(TRUE);
    }
}

void ModuleDataPlotrex::CollectGraphs(int mode, PlotrexDataContainer& container) {
    auto collect = [&](std::initializer_list<const char*> names) {
        for (const char* name : names) {
            container.Add(graphs_.GetData(name));
        }
    };
    auto* historic = dynamic_cast<PlotrexDataProfileHistoric*>(graphs_.GetData(kGraphHistoric));
    switch (mode) {
        case 0:
            collect({kGraphTemp, kGraphDepth, kGraphPrevision});
            // Laid under the live profiles, matched on the own track.
            if (historic != nullptr) {
                historic->SetMode(0);
            }
            collect({kGraphHistoric, kGraphEtr, kGraphAScope, kGraphMobile, kGraphDReckChalut});
            break;
        case 1:
            collect({kGraphTemp, kGraphDepth, kGraphEtr, kGraphAScope, kGraphMobile});
            break;
        case 2:
            // Alone and unshifted.
            if (historic != nullptr) {
                historic->SetMode(2);
            }
            collect({kGraphHistoric});
            break;
        default:
            break;
    }
}

DistanceTracker* ModuleDataPlotrex::GetDistanceTracker(short index) {
    return index == 0 ? &tracker_ : nullptr;
}

void ModuleDataPlotrex::CreateView() {
    CreateViewWindow("PlotrexView");
}

void ModuleDataPlotrex::CreatePixelView() {
    CreateViewWindow("PlotrexViewPixel");
}

int ModuleDataPlotrex::GetEchogramSweep(short channel, int index, double* top, double* bottom,
                                        unsigned char* levels, int capacity) {
    auto* echogram = dynamic_cast<PlotrexDataETR*>(graphs_.GetData(kGraphEtr));
    return echogram == nullptr ? -1
                               : echogram->CopySweep(channel, index, top, bottom, levels, capacity);
}

void ModuleDataPlotrex::CreateViewWindow(const char* className) {
    // Only one view at a time: the previous one keeps its layout and lets go
    // of its displays first.
    if (view_ != nullptr) {
        CloseView();
    }
    std::unique_ptr<CWnd> view = CreateWindowObject(className);
    if (view == nullptr) {
        return;
    }
    CWinApp* app = AfxGetApp();
    CWnd* parent = app != nullptr ? app->m_pMainWnd : nullptr;
    RECT rect = kTopLevelViewRect;
    DWORD style = WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (parent != nullptr && parent->GetSafeHwnd() != nullptr) {
        parent->GetClientRect(&rect);
        style |= WS_CHILD;
    } else {
        parent = nullptr;
        style |= WS_POPUP;
    }
    // Without a window there is nothing to open: no view.
    if (view->Create(nullptr, "Plotrex", style, rect, parent, 0)) {
        view_ = std::move(view);
    }
}

OGRLayer* ModuleDataPlotrex::GetLayer(std::int32_t) {
    return nullptr;
}

OGRLayer* ModuleDataPlotrex::GetLayerByName(const std::string& name) {
    if (strcasecmp(name.c_str(), "ETR_PROPERTIES") != 0) {
        return nullptr;
    }
    auto* echogram = dynamic_cast<PlotrexDataETR*>(graphs_.GetData(kGraphEtr));
    return echogram != nullptr ? echogram->OGRableMonoDataSource::GetLayerByName(name) : nullptr;
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

HWND ModuleDataPlotrex::GetViewWindow() const {
    return view_ != nullptr ? view_->GetSafeHwnd() : nullptr;
}

PlotrexOrganizer* ModuleDataPlotrex::GetViewOrganizer() const {
    PlotrexView* view = ProfileView();
    return view != nullptr ? &view->GetOrganizer() : nullptr;
}

PlotrexView* ModuleDataPlotrex::ProfileView() const {
    if (view_ == nullptr || !view_->IsKindOf(RUNTIME_CLASS(PlotrexView))) {
        return nullptr;
    }
    return static_cast<PlotrexView*>(view_.get());
}

PlotrexViewPixel* ModuleDataPlotrex::PixelView() const {
    if (view_ == nullptr || !view_->IsKindOf(RUNTIME_CLASS(PlotrexViewPixel))) {
        return nullptr;
    }
    return static_cast<PlotrexViewPixel*>(view_.get());
}

void ModuleDataPlotrex::SetAllDisplaysVisible(bool visible) {
    for (Observer<ModuleNotification>* observer : Observers()) {
        static_cast<ModuleDisplay*>(observer)->SetVisible(visible);
    }
}

namespace {

// The graphs whose stores roll, in the order of the sailed state's counts.
constexpr const char* kRollingProfiles[] = {kGraphDepth, kGraphTemp};

}  // namespace

bool ModuleDataPlotrex::GetSailedState(PlotrexSailedState* state) {
    if (state == nullptr) {
        return false;
    }
    *state = PlotrexSailedState();
    state->distance = tracker_.GetDistance();
    const PosType last = tracker_.GetPosition();
    state->first = last.IsNoPos() ? kUndefined : last.First();
    state->second = last.IsNoPos() ? kUndefined : last.Second();
    if (auto* historic =
            dynamic_cast<PlotrexDataProfileHistoric*>(graphs_.GetData(kGraphHistoric))) {
        state->historicReversed = historic->IsReversed() ? 1 : 0;
    }
    int store = 0;
    for (const char* key : kRollingProfiles) {
        if (auto* profile = dynamic_cast<PlotrexDataProfile*>(graphs_.GetData(key))) {
            state->taken[store] = profile->GetSeries()->GetAdded();
            state->holds[store] = profile->GetSeries()->GetKept();
        }
        ++store;
    }
    state->settled = 1;
    if (auto* echogram = dynamic_cast<PlotrexDataETR*>(graphs_.GetData(kGraphEtr))) {
        for (int channel = 0; channel < 2; ++channel) {
            const ZxEtrEchoContainer& sweeps = echogram->GetStore(channel);
            state->taken[store + channel] = sweeps.GetNextNumber();
            state->holds[store + channel] = sweeps.GetCapacity();
            if (sweeps.GetPendingCount() > 0) {
                state->settled = 0;
            }
        }
    }
    return true;
}

bool ModuleDataPlotrex::SetSailedState(const PlotrexSailedState& state) {
    const bool noPosition = IsUndefined(state.first) || IsUndefined(state.second);
    if (state.settled == 0 || !std::isfinite(state.distance) ||
        (!noPosition && !(std::isfinite(state.first) && std::isfinite(state.second)))) {
        return false;
    }
    tracker_.Resume(state.distance, noPosition ? NoPos : PosType(state.first, state.second));
    if (auto* historic =
            dynamic_cast<PlotrexDataProfileHistoric*>(graphs_.GetData(kGraphHistoric))) {
        historic->SetReversed(state.historicReversed != 0);
    }
    if (auto* echogram = dynamic_cast<PlotrexDataETR*>(graphs_.GetData(kGraphEtr))) {
        for (int channel = 0; channel < 2; ++channel) {
            echogram->GetStore(channel).Resume(static_cast<std::uint32_t>(state.taken[2 + channel]),
                                               state.distance);
        }
    }
    return true;
}
