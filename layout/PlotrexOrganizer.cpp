#include "layout/PlotrexOrganizer.h"

#include <cmath>
#include <cstring>
#include <optional>

#include "drawing/PlotrexDisplay.h"
#include "drawing/VexanDevice.h"
#include "drawing/VexanDeviceDX9.h"
#include "graphdata/PlotrexData.h"
#include "graphdata/PlotrexDataContainer.h"
#include "hostfamily/Undefined.h"
#include "layout/FramePainter.h"
#include "layout/LayoutCommands.h"
#include "layout/LayoutSettings.h"
#include "layout/ProjectionUpdater.h"
#include "module/UserMessages.h"
#include "platform/CWnd.h"
#include "units/UnitConversion.h"

const double PlotrexOrganizer::kMinSlope = std::ldexp(1.0, -10);
const double PlotrexOrganizer::kMaxSlope = std::ldexp(1.0, 10);

namespace {

// In the code page of the module's texts (Windows-1252).
constexpr const char* kMissingProjectionText =
    "Un type de projection est demand\xE9 mais n'existe pas dans la map de l'organizer.";

constexpr std::int16_t kInitialLevel = 7;
// The level at which InitScale's value holds; a slope of 2^(level - this)
// makes a first view with depths stretched against the distance.
constexpr int kScaleReferenceLevel = 5;

// Distances start at the left edge, depths at the surface on the top edge.
constexpr double kFirstDistance = 0.0;
constexpr double kSurfaceDepth = 0.0;
// 35 degrees at the top edge, 100 pixels per degree at slope 1.
constexpr double kTopTemperature = 35.0;
constexpr double kDegreesPerPixel = 0.01;
constexpr double kTemperatureMultiplier = 1.0;

// Unit numbers of the converter: radians of arc along the track, metres.
constexpr int kConverterRadianOfArc = 14;
constexpr int kConverterMetre = 7;

}  // namespace

PlotrexOrganizer::PlotrexOrganizer()
    : lastValue_(kUndefined),
      updater_(std::make_unique<ProjectionUpdater>(*this)),
      commands_(std::make_unique<LayoutCommands>(*this, *updater_)),
      painter_(std::make_unique<FramePainter>(*this)),
      settings_(std::make_unique<LayoutSettings>(*this)) {}

PlotrexOrganizer::~PlotrexOrganizer() = default;

bool PlotrexOrganizer::Init(CWnd* view, DXDesktopDeviceManager* deviceManager,
                            const PlotrexDataContainer& graphs, DistanceTracker* tracker,
                            StyleTable* styles, double unitsPerPixel, std::int16_t referenceLevel,
                            const char* mainType) {
    if (view == nullptr || deviceManager == nullptr) {
        return false;
    }
    return Init(view, std::make_unique<VexanDeviceDX9>(deviceManager), graphs, tracker, styles,
                unitsPerPixel, referenceLevel, mainType);
}

bool PlotrexOrganizer::Init(CWnd* view, std::unique_ptr<VexanDevice> device,
                            const PlotrexDataContainer& graphs, DistanceTracker* tracker,
                            StyleTable* styles, double unitsPerPixel, std::int16_t referenceLevel,
                            const char* mainType) {
    if (view == nullptr || device == nullptr) {
        return false;
    }
    // Set up again: what the first set-up made goes back first.
    Shutdown();
    device_ = std::move(device);
    RECT client{};
    view->GetClientRect(&client);
    if (!device_->Create(view, SIZE{client.right - client.left, client.bottom - client.top})) {
        // A device without a surface is of no use: no device until Init succeeds.
        device_.reset();
        return false;
    }
    for (PlotrexData* data : graphs) {
        if (data == nullptr) {
            continue;
        }
        if (PlotrexDisplay* display = data->CreateDisplay()) {
            displays_.push_back(display);
            owners_.push_back(data);
        }
    }

    SetUpAxes(unitsPerPixel, referenceLevel);
    mainType_ = mainType ? mainType : "";
    styles_ = styles;
    tracker_ = tracker;
    ReportMissingAxisInUse();

    SetLevel(kInitialLevel);
    SetSlope(std::ldexp(1.0, GetLevel() - kScaleReferenceLevel));
    return true;
}

void PlotrexOrganizer::SetUpAxes(double unitsPerPixel, std::int16_t referenceLevel) {
    // unitsPerPixel at referenceLevel is this many at the scale's own reference.
    horizontal_.origin = kFirstDistance;
    horizontal_.InitScale(std::ldexp(unitsPerPixel, -(referenceLevel - kScaleReferenceLevel)));
    updater_->ForgetWantedLevel();

    // Depths in the vertical unit, as many per pixel as the distance axis.
    LinearPixelProjection depth(true);
    depth.scale = Convert(horizontal_.scale, kConverterRadianOfArc, kConverterMetre);
    depth.origin = kSurfaceDepth;
    depth.multiplier = horizontal_.multiplier;
    LinearPixelProjection temperature(true);
    temperature.scale = kDegreesPerPixel;
    temperature.origin = kTopTemperature;
    temperature.multiplier = kTemperatureMultiplier;
    verticals_.clear();
    verticals_.emplace(kUnitDist, depth);
    verticals_.emplace(kUnitTemp, temperature);
}

void PlotrexOrganizer::ReportMissingAxisInUse() {
    // Only a main graph shown here chooses an axis; without one there is
    // nothing to complain about.
    const std::string unit = GetYUnit();
    if (!unit.empty()) {
        GetProjection(unit.c_str());
    }
}

void PlotrexOrganizer::Shutdown() {
    // Each display goes back to the graph that made it, which deletes it.
    for (std::size_t i = 0; i < displays_.size(); ++i) {
        owners_[i]->DeleteDisplay(displays_[i]);
    }
    displays_.clear();
    owners_.clear();
    device_.reset();
}

bool PlotrexOrganizer::Resize(SIZE size) {
    if (device_ == nullptr) {
        return false;
    }
    device_->Resize(size);
    modified_ = true;
    return true;
}

void PlotrexOrganizer::Draw() {
    if (device_ == nullptr) {
        return;
    }
    Update();
    painter_->Paint();
    modified_ = false;
}

bool PlotrexOrganizer::Present() {
    return device_ != nullptr && device_->Present(POINT{0, 0});
}

bool PlotrexOrganizer::NeedsRedraw() {
    if (!modified_) {
        for (PlotrexDisplay* display : displays_) {
            if (display->IsVisible() && display->IsModified()) {
                modified_ = true;
                break;
            }
        }
    }
    return modified_;
}

SIZE PlotrexOrganizer::GetDeviceSize() const {
    return device_ ? device_->GetSize() : SIZE{};
}

std::vector<PlotrexDisplay*> PlotrexOrganizer::VisibleDisplays() const {
    std::vector<PlotrexDisplay*> visible;
    for (PlotrexDisplay* display : displays_) {
        if (display->IsVisible()) {
            visible.push_back(display);
        }
    }
    return visible;
}

void PlotrexOrganizer::Save(Serializater& s) {
    settings_->Save(s);
}

bool PlotrexOrganizer::Load(Serializater& s) {
    return settings_->Load(s);
}

std::int16_t PlotrexOrganizer::GetLevel() const {
    bool exact = false;
    return horizontal_.GetLevel(exact);
}

std::int16_t PlotrexOrganizer::GetChosenLevel() const {
    return updater_->WantedLevel().value_or(GetLevel());
}

void PlotrexOrganizer::SetLevel(std::int16_t level) {
    updater_->ForgetWantedLevel();
    updater_->ForgetFitWhole();
    const POINT anchor = GetAnchorPoint();
    const double value = horizontal_.ToWorld(anchor.x);
    horizontal_.SetLevel(level);
    horizontal_.SetOriginAt(value, anchor.x);
    Update();
    modified_ = true;
}

double PlotrexOrganizer::ChosenMultiplier() const {
    const std::optional<std::int16_t> wanted = updater_->WantedLevel();
    return wanted ? std::ldexp(1.0, *wanted) : horizontal_.multiplier;
}

double PlotrexOrganizer::SlopeOf(const LinearPixelProjection* vertical,
                                 double horizontalMultiplier) const {
    if (vertical == nullptr || !(vertical->multiplier > 0.0)) {
        return 1.0;
    }
    return horizontalMultiplier / vertical->multiplier;
}

double PlotrexOrganizer::GetSlope() {
    return SlopeOf(GetYProjection(), horizontal_.multiplier);
}

bool PlotrexOrganizer::SetSlope(double slope) {
    return ApplySlope(slope, horizontal_.multiplier);
}

double PlotrexOrganizer::GetChosenSlope() {
    return SlopeOf(GetYProjection(), ChosenMultiplier());
}

bool PlotrexOrganizer::SetChosenSlope(double slope) {
    return ApplySlope(slope, ChosenMultiplier());
}

bool PlotrexOrganizer::ApplySlope(double slope, double horizontalMultiplier) {
    if (!IsValidSlope(slope)) {
        return false;
    }
    LinearPixelProjection* vertical = GetYProjection();
    if (vertical == nullptr) {
        return false;
    }
    updater_->ForgetFitWhole();
    const double multiplier = horizontalMultiplier / slope;
    if (multiplier == vertical->multiplier) {
        return false;
    }
    const POINT anchor = GetAnchorPoint();
    const double value = vertical->ToWorld(anchor.y);
    vertical->multiplier = multiplier;
    vertical->SetOriginAt(value, anchor.y);
    modified_ = true;
    return true;
}

void PlotrexOrganizer::Scroll(int dx, int dy) {
    updater_->ForgetFitWhole();
    if (LinearPixelProjection* vertical = GetYProjection()) {
        vertical->Scroll(dy);
    }
    horizontal_.Scroll(dx);
    modified_ = true;
}

void PlotrexOrganizer::CenterOn(double x, double y) {
    updater_->ForgetFitWhole();
    const SIZE size = GetDeviceSize();
    horizontal_.SetOriginAt(x, size.cx * 0.5);
    if (LinearPixelProjection* vertical = GetYProjection()) {
        vertical->SetOriginAt(y, size.cy * 0.5);
    }
    modified_ = true;
    Update();
}

void PlotrexOrganizer::CenterOnVessel() {
    if (tracker_ != nullptr) {
        CenterOn(lastDistance_, 0.0);
    }
}

void PlotrexOrganizer::Fit(bool level, bool slope) {
    updater_->ForgetFitWhole();
    updater_->Fit(level, slope);
}

void PlotrexOrganizer::FitWholeWhenDataShows() {
    updater_->FitWholeWhenDataShows();
}

bool PlotrexOrganizer::AwaitsDataToFit() const {
    return updater_->FitWholePending();
}

void PlotrexOrganizer::Update() {
    updater_->Update();
}

bool PlotrexOrganizer::IsScaleLevelAllowed(const ValueRange& range, std::int16_t level,
                                           std::int16_t freeLevel) {
    if (level <= freeLevel) {
        return true;
    }
    if (range.IsEmpty()) {
        return false;
    }
    LinearPixelProjectionLeveled trial(horizontal_);
    trial.SetLevel(level);
    const double pixels = LinearPixelProjection::WholePixels(trial.ToPixel(range.maximum, true) -
                                                             trial.ToPixel(range.minimum, true));
    return pixels >= GetDeviceSize().cx / 2;
}

bool PlotrexOrganizer::IsValidSlope(double slope) {
    return slope >= kMinSlope && slope <= kMaxSlope;
}

LinearPixelProjection* PlotrexOrganizer::FindProjection(const std::string& unitKey) {
    auto it = verticals_.find(unitKey);
    return it == verticals_.end() ? nullptr : &it->second;
}

LinearPixelProjection* PlotrexOrganizer::GetProjection(const char* unitKey) {
    LinearPixelProjection* projection = FindProjection(unitKey ? unitKey : "");
    if (projection == nullptr) {
        ShowUserMessage(kMissingProjectionText, 1, 0, 0);
    }
    return projection;
}

std::string PlotrexOrganizer::GetYUnit() {
    const PlotrexData* main = FindDataByName(mainType_.c_str());
    return main ? main->GetUnit() : std::string();
}

LinearPixelProjection* PlotrexOrganizer::GetYProjection() {
    return FindProjection(GetYUnit());
}

PlotrexDisplay* PlotrexOrganizer::FindDisplayByName(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    for (PlotrexDisplay* display : displays_) {
        const PlotrexData* data = display->GetData();
        if (data != nullptr && std::strcmp(data->GetName(), name) == 0) {
            return display;
        }
    }
    return nullptr;
}

PlotrexData* PlotrexOrganizer::FindDataByName(const char* name) {
    PlotrexDisplay* display = FindDisplayByName(name);
    return display ? display->GetData() : nullptr;
}

void PlotrexOrganizer::SetHoverPoint(POINT p) {
    hoverPoint_ = p;
    if (!IsNoPoint(p)) {
        fixedPoint_ = kNoPoint;
    }
    modified_ = true;
}

void PlotrexOrganizer::SetFixedPoint(POINT p) {
    fixedPoint_ = p;
}

POINT PlotrexOrganizer::GetAnchorPoint() {
    // A fixed point unset in x alone is returned as it is.
    if (fixedPoint_.x != kNoPoint.x || !IsNoPoint(fixedPoint_)) {
        return fixedPoint_;
    }
    if (!IsNoPoint(hoverPoint_) || device_ == nullptr) {
        return hoverPoint_;
    }
    const SIZE size = device_->GetSize();
    return POINT{size.cx / 2, size.cy / 2};
}

double PlotrexOrganizer::GetValueAtAnchor(const char* unitKey, double* first, double* second) {
    if (IsNoPoint(hoverPoint_) && IsNoPoint(fixedPoint_)) {
        return kUndefined;
    }
    const POINT anchor = GetAnchorPoint();
    const double x = horizontal_.ToWorld(anchor.x);
    double a = kUndefined;
    double b = kUndefined;
    double result = kUndefined;
    const std::string unit = unitKey ? unitKey : "";
    if (unit == kImmersion) {
        if (const LinearPixelProjection* vertical = GetYProjection()) {
            result = vertical->ToWorld(anchor.y);
        }
    } else {
        for (PlotrexDisplay* display : VisibleDisplays()) {
            PlotrexData* data = display->GetData();
            if (data == nullptr || unit != data->GetUnit()) {
                continue;
            }
            double value = kUndefined;
            if (data->GetValueAt(x, &a, &b, &value)) {
                result = value;
                if (!IsUndefined(result)) {
                    break;
                }
            }
        }
    }
    if (first != nullptr) {
        *first = a;
    }
    if (second != nullptr) {
        *second = b;
    }
    return result;
}

std::int32_t PlotrexOrganizer::ExecuteCommand(const char* command, const char* argument) {
    return commands_->Execute(command, argument);
}

std::int32_t PlotrexOrganizer::GetCommandState(const char* command, CommandState* state) {
    return commands_->State(command, state);
}
