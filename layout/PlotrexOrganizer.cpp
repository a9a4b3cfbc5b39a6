#include "layout/PlotrexOrganizer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "drawing/ClearFrame.h"
#include "drawing/DeviceGraphics.h"
#include "drawing/LayeredDrawing.h"
#include "drawing/PlotrexDisplay.h"
#include "drawing/VexanDevice.h"
#include "drawing/VexanDeviceDX9.h"
#include "graphdata/DistanceTracker.h"
#include "graphdata/PlotrexData.h"
#include "graphdata/PlotrexDataContainer.h"
#include "graphdata/PlotrexDataProfile.h"
#include "graphdata/PlotrexDataProfileHistoric.h"
#include "hostfamily/Undefined.h"
#include "layout/DecorationPainter.h"
#include "module/CommandNames.h"
#include "module/ModuleWideValues.h"
#include "module/UserMessages.h"
#include "persistence/Serializater.h"
#include "platform/CWnd.h"
#include "units/UnitConversion.h"

const double PlotrexOrganizer::kMinSlope = std::ldexp(1.0, -10);
const double PlotrexOrganizer::kMaxSlope = std::ldexp(1.0, 10);

namespace {

// In the code page of the module's texts (Windows-1252).
constexpr const char* kMissingProjectionText =
    "Un type de projection est demand\xE9 mais n'existe pas dans la map de l'organizer.";

constexpr std::int16_t kInitialLevel = 7;
constexpr std::int16_t kHighestFitLevel = 15;
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

// Palette colour of the empty back buffer, as in the pixel view.
constexpr unsigned kClearColour = 33;

constexpr const char* kLevelKey = "ORGANIZER_LEVEL";
constexpr const char* kSlopeKey = "ORGANIZER_SLOPE";
constexpr const char* kFirstXKey = "ORGANIZER_FIRSTPOS_X";
constexpr const char* kFirstYKey = "ORGANIZER_FIRSTPOS_Y";

// atoi's value of an argument (0 for none), held within a 16-bit level.
std::int16_t LevelArgument(const char* argument) {
    const int value = argument ? std::atoi(argument) : 0;
    return static_cast<std::int16_t>(std::clamp(value, SHRT_MIN, SHRT_MAX));
}

std::string Formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The last value of a graph of the profile family, else the undefined marker.
double LastValueOf(PlotrexData* data) {
    auto* profile = dynamic_cast<PlotrexDataProfile*>(data);
    if (profile == nullptr) {
        return kUndefined;
    }
    const ProfileSeries* series = profile->GetSeries();
    return series->GetCount() > 0 ? series->At(series->GetCount() - 1).value : kUndefined;
}

// The track of a graph of the profile family, null for the others.
const ProfileSeries* TrackOf(PlotrexData* data) {
    if (auto* profile = dynamic_cast<PlotrexDataProfile*>(data)) {
        return profile->GetSeries();
    }
    if (auto* historic = dynamic_cast<PlotrexDataProfileHistoric*>(data)) {
        return historic->GetSeries();
    }
    return nullptr;
}

bool IsTrackCommand(const std::string& command) {
    return command == kCommandHoverOnProfile || command == kCommandCenterOnTrack;
}

bool HasAllFour(const Extent& e) {
    return !IsUndefined(e.minX) && !IsUndefined(e.maxX) && !IsUndefined(e.minY) &&
           !IsUndefined(e.maxY);
}

}  // namespace

PlotrexOrganizer::PlotrexOrganizer()
    : lastValue_(kUndefined), decorations_(std::make_unique<DecorationPainter>(this)) {}

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
    wantedLevel_.reset();

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

void PlotrexOrganizer::Draw() {
    if (device_ == nullptr) {
        return;
    }
    Update();
    const double vessel = tracker_ ? tracker_->GetDistance() : 0.0;

    // "START": the last frame goes, whatever this one covers.
    ClearFrame();
    // "BackGround"
    decorations_->DrawBackground();

    const std::vector<PlotrexDisplay*> visible = VisibleDisplays();
    std::set<std::string> units;
    for (PlotrexDisplay* display : visible) {
        if (const PlotrexData* data = display->GetData()) {
            units.insert(data->GetUnit());
        }
    }
    const SIZE size = device_->GetSize();
    DrawLayered(visible, device_.get(), RECT{0, 0, size.cx, size.cy}, horizontal_, verticals_,
                styles_);

    DeviceGraphics graphics(device_.get());
    // "SCALEY", "SCALEX", "EQUERRE"
    const RECT valueScale = decorations_->DrawVerticalScales(graphics, units);
    const RECT distanceScale = decorations_->DrawDistanceScale(graphics, vessel);
    const int distanceScaleHeight = distanceScale.bottom - distanceScale.top;
    decorations_->DrawSetSquare(graphics, valueScale.right - valueScale.left, distanceScaleHeight,
                                vessel);

    if (!IsNoPoint(hoverPoint_)) {
        const double x = horizontal_.ToWorld(hoverPoint_.x);
        std::vector<DataInfoEntry> found;
        for (PlotrexDisplay* display : visible) {
            PlotrexData* data = display->GetData();
            double first = kUndefined;
            double second = kUndefined;
            double value = kUndefined;
            if (data != nullptr && data->GetValueAt(x, &first, &second, &value) &&
                !IsUndefined(value)) {
                found.push_back(DataInfoEntry{data->GetUnit(), x, value});
            }
        }
        // "DATA INFO"
        decorations_->DrawDataInfo(graphics, found);
    }

    std::vector<std::string> legend;
    for (PlotrexDisplay* display : visible) {
        std::string entry;
        if (display->GetLegendEntry(entry)) {
            legend.push_back(std::move(entry));
        }
    }
    // "LEGENDE"
    const int legendLeft = decorations_->ChooseLegendOffset(graphics, legend, distanceScaleHeight);
    decorations_->DrawLegend(graphics, legend, legendLeft, distanceScaleHeight);
    modified_ = false;
}

void PlotrexOrganizer::ClearFrame() {
    ::ClearFrame(*device_, kClearColour);
}

void PlotrexOrganizer::Save(Serializater& s) {
    for (PlotrexDisplay* display : displays_) {
        display->Save(s);
    }
    // The level the user chose and the slope at it, even while the data
    // holds the view below that level.
    char level[16];
    std::snprintf(level, sizeof level, "%d", wantedLevel_.value_or(GetLevel()));
    s.Write(kLevelKey, level);
    s.Write(kSlopeKey, Formatted("%lf", SlopeOf(GetYProjection(), ChosenMultiplier())));
    s.Write(kFirstXKey, Formatted("%lf", horizontal_.origin));
    if (const LinearPixelProjection* vertical = GetYProjection()) {
        s.Write(kFirstYKey, Formatted("%lf", vertical->origin));
    }
}

void PlotrexOrganizer::Load(Serializater& s) {
    for (PlotrexDisplay* display : displays_) {
        display->Load(s);
    }
    // Level and slope move the origins about the anchor; the first positions
    // read afterwards put them back where they were saved.
    const std::string level = s.Read(kLevelKey);
    if (!level.empty()) {
        SetLevel(LevelArgument(level.c_str()));
    }
    // The slope was saved at the level chosen, which the data may hold down
    // for now: the vertical scale is the saved one either way.
    const std::string slope = s.Read(kSlopeKey);
    if (!slope.empty()) {
        ApplySlope(std::atof(slope.c_str()), ChosenMultiplier());
    }
    // A damaged file ("nan", "inf") must not leave an origin no clamp can
    // bring back: such a position is ignored.
    const std::string firstX = s.Read(kFirstXKey);
    if (!firstX.empty() && std::isfinite(std::atof(firstX.c_str()))) {
        horizontal_.origin = std::atof(firstX.c_str());
        modified_ = true;
    }
    if (LinearPixelProjection* vertical = GetYProjection()) {
        const std::string firstY = s.Read(kFirstYKey);
        if (!firstY.empty() && std::isfinite(std::atof(firstY.c_str()))) {
            vertical->origin = std::atof(firstY.c_str());
            modified_ = true;
        }
    }
}

std::int16_t PlotrexOrganizer::GetLevel() const {
    bool exact = false;
    return horizontal_.GetLevel(exact);
}

void PlotrexOrganizer::SetLevel(std::int16_t level) {
    // A new choice replaces the one waiting for data.
    wantedLevel_.reset();
    const POINT anchor = GetAnchorPoint();
    const double value = horizontal_.ToWorld(anchor.x);
    horizontal_.SetLevel(level);
    horizontal_.SetOriginAt(value, anchor.x);
    Update();
    modified_ = true;
}

double PlotrexOrganizer::ChosenMultiplier() const {
    return wantedLevel_ ? std::ldexp(1.0, *wantedLevel_) : horizontal_.multiplier;
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

bool PlotrexOrganizer::ApplySlope(double slope, double horizontalMultiplier) {
    if (!IsValidSlope(slope)) {
        return false;
    }
    LinearPixelProjection* vertical = GetYProjection();
    if (vertical == nullptr) {
        return false;
    }
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
    if (LinearPixelProjection* vertical = GetYProjection()) {
        vertical->Scroll(dy);
    }
    horizontal_.Scroll(dx);
    modified_ = true;
}

void PlotrexOrganizer::CenterOn(double x, double y) {
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

PlotrexOrganizer::DataRanges PlotrexOrganizer::CollectRanges(bool withMargins) {
    DataRanges ranges;
    const std::string yUnit = GetYUnit();
    const LinearPixelProjection* y = withMargins ? FindProjection(yUnit) : nullptr;
    for (PlotrexDisplay* display : VisibleDisplays()) {
        PlotrexData* data = display->GetData();
        if (data == nullptr) {
            continue;
        }
        const Extent extent = data->GetExtent();
        if (!HasAllFour(extent)) {
            continue;
        }
        const Margins m = withMargins ? display->GetMargins() : Margins{};
        ValueRange across{extent.minX, extent.maxX};
        if (m.left != 0) {
            across.minimum += horizontal_.ToWorld(m.left, true);
        }
        if (m.right != 0) {
            across.maximum += horizontal_.ToWorld(m.right, true);
        }
        ranges.across = ranges.across.Union(across);
        if (yUnit != data->GetUnit()) {
            continue;
        }
        // On the inverted axis a positive top margin raises the top.
        ValueRange up{extent.minY, extent.maxY};
        if (y != nullptr && m.bottom != 0) {
            up.minimum -= y->ToWorld(m.bottom, true);
        }
        if (y != nullptr && m.top != 0) {
            up.maximum -= y->ToWorld(m.top, true);
        }
        ranges.up = ranges.up.Union(up);
    }
    return ranges;
}

void PlotrexOrganizer::Update() {
    LinearPixelProjection* vertical = GetYProjection();
    if (vertical == nullptr) {
        return;
    }
    const DataRanges ranges = CollectRanges(true);
    BoundLevelToData(ranges.across);
    FollowVessel();
    KeepDataOnScreen(ranges, *vertical);
}

void PlotrexOrganizer::BoundLevelToData(const ValueRange& across) {
    const std::int16_t shown = GetLevel();
    const std::int16_t wanted = wantedLevel_.value_or(shown);
    std::int16_t allowed = wanted;
    while (!IsScaleLevelAllowed(across, allowed, kFreeLevel)) {
        --allowed;
    }
    if (allowed != shown) {
        // About the left edge: a restored first position stays where it was.
        horizontal_.SetLevel(allowed);
    }
    if (allowed == wanted) {
        wantedLevel_.reset();
    } else {
        wantedLevel_ = wanted;
    }
}

void PlotrexOrganizer::FollowVessel() {
    if (tracker_ == nullptr) {
        return;
    }
    const double distance = tracker_->GetDistance();
    if (ShipMovedWhileInView(distance)) {
        const double pixel = horizontal_.ToPixel(lastDistance_);
        // The ship stays on its pixel; the data moves under it.
        horizontal_.SetOriginAt(distance, pixel);
        FollowMainValue();
        KeepOtherValuesInView();
    }
    lastDistance_ = distance;
}

bool PlotrexOrganizer::ShipMovedWhileInView(double distance) const {
    if (lastDistance_ == kNoDistance || distance == lastDistance_) {
        return false;
    }
    // Kept on the right edge, the ship's pixel may come out a hair beyond it.
    return LinearPixelProjection::InWindow(horizontal_.ToPixel(lastDistance_), GetDeviceSize().cx);
}

void PlotrexOrganizer::FollowMainValue() {
    LinearPixelProjection* projection = FindProjection(GetYUnit());
    PlotrexDisplay* main = FindDisplayByName(mainType_.c_str());
    if (projection == nullptr || main == nullptr || !main->IsVisible()) {
        return;
    }
    const double value = LastValueOf(main->GetData());
    if (IsUndefined(value) || value == lastValue_) {
        return;
    }
    const int height = GetDeviceSize().cy;
    if (IsUndefined(lastValue_)) {
        // The first value followed: the view was opened on the surface, and
        // the ship's depth may lie far below it. Nothing to follow yet, so it
        // is brought into view.
        projection->CenterIfOutside(value, height);
    } else {
        projection->FollowValue(lastValue_, value, height);
    }
    lastValue_ = value;
}

void PlotrexOrganizer::KeepOtherValuesInView() {
    const std::string mainUnit = GetYUnit();
    const int height = GetDeviceSize().cy;
    for (auto& [unit, projection] : verticals_) {
        if (unit == mainUnit) {
            continue;
        }
        for (PlotrexDisplay* display : VisibleDisplays()) {
            PlotrexData* data = display->GetData();
            if (data == nullptr || unit != data->GetUnit()) {
                continue;
            }
            const double value = LastValueOf(data);
            if (!IsUndefined(value)) {
                projection.CenterIfOutside(value, height);
            }
        }
    }
}

void PlotrexOrganizer::KeepDataOnScreen(const DataRanges& ranges, LinearPixelProjection& vertical) {
    const SIZE size = GetDeviceSize();
    const double xBefore = horizontal_.origin;
    const double yBefore = vertical.origin;
    KeepDistancesOnData(ranges.across, size.cx);
    KeepValuesOnData(ranges.up, size.cy, vertical);
    if (horizontal_.origin != xBefore || vertical.origin != yBefore) {
        modified_ = true;
    }
}

void PlotrexOrganizer::KeepDistancesOnData(const ValueRange& across, int width) {
    if (across.IsEmpty()) {
        return;
    }
    const double shown = horizontal_.ToWorld(width, true);
    if (shown > across.Length()) {
        // Less data than window: its end (the ship, as a rule) at the right edge.
        horizontal_.origin = across.maximum - shown;
        return;
    }
    if (horizontal_.origin < across.minimum) {
        horizontal_.origin = across.minimum;
    }
    if (horizontal_.origin + shown > across.maximum) {
        horizontal_.origin = across.maximum - shown;
    }
}

void PlotrexOrganizer::KeepValuesOnData(const ValueRange& up, int height,
                                        LinearPixelProjection& vertical) {
    if (up.IsEmpty()) {
        return;
    }
    const double shown = -vertical.ToWorld(height, true);
    if (up.Length() < shown) {
        // Less data than window: its top at the top edge.
        vertical.origin = up.maximum;
        return;
    }
    if (vertical.origin - shown < up.minimum) {
        vertical.origin = up.minimum + shown;
    }
    if (vertical.origin > up.maximum) {
        vertical.origin = up.maximum;
    }
}

void PlotrexOrganizer::Fit(bool level, bool slope) {
    const auto [across, up] = CollectRanges(false);
    bool changed = false;
    if (level) {
        wantedLevel_.reset();
        std::int16_t fitted = kFreeLevel;
        for (std::int16_t trial = kHighestFitLevel; trial > kFreeLevel; --trial) {
            if (IsScaleLevelAllowed(across, trial, kFreeLevel)) {
                fitted = trial;
                break;
            }
        }
        if (fitted != GetLevel()) {
            horizontal_.SetLevel(fitted);
            changed = true;
        }
    }
    LinearPixelProjection* vertical = GetYProjection();
    if (slope && !up.IsEmpty() && vertical != nullptr) {
        const int height = GetDeviceSize().cy;
        LinearPixelProjection trial = *vertical;
        for (double s = kMaxSlope; s >= kMinSlope; s *= 0.5) {
            trial.multiplier = horizontal_.multiplier / s;
            const double pixels = LinearPixelProjection::WholePixels(
                trial.ToPixel(up.minimum, true) - trial.ToPixel(up.maximum, true));
            if (pixels <= height) {
                break;
            }
        }
        if (trial.multiplier != vertical->multiplier) {
            const POINT anchor = GetAnchorPoint();
            const double value = vertical->ToWorld(anchor.y);
            vertical->multiplier = trial.multiplier;
            vertical->SetOriginAt(value, anchor.y);
            changed = true;
        }
    }
    if (changed) {
        Update();
    }
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

template <typename Ask>
std::int32_t PlotrexOrganizer::AskGraphs(Ask ask) {
    for (PlotrexDisplay* display : displays_) {
        if (PlotrexData* data = display->GetData()) {
            if (const std::int32_t result = ask(*data)) {
                return result;
            }
        }
    }
    return 0;
}

std::int32_t PlotrexOrganizer::ExecuteCommand(const char* command, const char* argument) {
    if (command == nullptr) {
        return 0;
    }
    try {
        if (IsTrackCommand(command)) {
            // A position off any track is a refusal, not a success.
            const bool done = TrackCommand(command, argument);
            modified_ = modified_ || done;
            return done ? 1 : 0;
        }
        bool known = false;
        ExecuteOwnCommand(command, argument, &known);
        if (known) {
            modified_ = true;
            return 1;
        }
        const std::int32_t result =
            AskGraphs([&](PlotrexData& data) { return data.ExecuteCommand(command, argument); });
        if (result != 0) {
            modified_ = true;
        }
        return result;
    } catch (...) {
        // Nothing gets through to the host: a failing command did nothing.
    }
    return 0;
}

void PlotrexOrganizer::ExecuteOwnCommand(const std::string& command, const char* argument,
                                         bool* known) {
    *known = true;
    const char* text = argument ? argument : "";
    if (command == kCommandShowHide) {
        if (PlotrexDisplay* display = FindDisplayByName(text)) {
            const bool visible = display->SetVisible(!display->IsVisible());
            if (visible && tracker_ != nullptr) {
                CenterOn(lastDistance_, 0.0);
            }
        }
    } else if (command == kCommandScaleValue) {
        SetLevel(LevelArgument(text));
    } else if (command == kCommandScalePlus) {
        SetLevel(static_cast<std::int16_t>(GetLevel() - 1));
    } else if (command == kCommandScaleMoins) {
        SetLevel(static_cast<std::int16_t>(GetLevel() + 1));
    } else if (command == kCommandSlopeValue) {
        SetSlope(std::atoi(text));
    } else if (command == kCommandSlopePlus) {
        SetSlope(GetSlope() * 2.0);
    } else if (command == kCommandSlopeMoins) {
        SetSlope(GetSlope() * 0.5);
    } else if (command == kCommandCenterOn) {
        CenterOnVessel();
        Fit(false, true);
    } else if (command == kCommandCenterOnProfile) {
        CenterOnProfile(text);
    } else if (command == kCommandFitToWindow) {
        Fit(true, true);
    } else {
        *known = false;
    }
}

void PlotrexOrganizer::CenterOnProfile(const char* argument) {
    double first = 0.0;
    double second = 0.0;
    if (std::sscanf(argument, "%lf %lf", &first, &second) != 2) {
        return;
    }
    auto* historic = dynamic_cast<PlotrexDataProfileHistoric*>(FindDataByName(kGraphHistoric));
    if (historic == nullptr) {
        return;
    }
    const ProfileSeries* series = historic->GetSeries();
    const double distance = series->DistanceAtPosition(PosType(first, second), nullptr, false);
    if (distance < 0.0) {
        return;
    }
    const ProfilePoint point = series->Interpolate(distance);
    // A gap there: keep the vertical centre as it is.
    double value = point.value;
    if (IsUndefined(value)) {
        const LinearPixelProjection* vertical = GetYProjection();
        value = vertical ? vertical->ToWorld(GetDeviceSize().cy * 0.5) : 0.0;
    }
    // Laid under the own track, the profile is drawn shifted by its offset.
    CenterOn(distance - historic->GetOffset(), value);
}

bool PlotrexOrganizer::FindOnTrack(const char* argument, double* distance, double* value) {
    double first = 0.0;
    double second = 0.0;
    int used = 0;
    // Two numbers and nothing else: a position followed by anything may
    // not be the position meant.
    if (argument == nullptr || std::sscanf(argument, "%lf %lf %n", &first, &second, &used) != 2 ||
        argument[used] != '\0' || !std::isfinite(first) || !std::isfinite(second)) {
        return false;
    }
    const ProfileSeries* track = TrackOf(FindDataByName(mainType_.c_str()));
    if (track == nullptr || track->GetCount() == 0) {
        return false;
    }
    // The host measures nearness on its chart; here the nearest place wins.
    const double found = track->DistanceAtPosition(PosType(first, second), nullptr, false);
    if (found < 0.0) {
        return false;
    }
    *distance = found;
    *value = track->GetCount() > 1 ? track->Interpolate(found).value : track->At(0).value;
    return true;
}

bool PlotrexOrganizer::TrackCommand(const std::string& command, const char* argument) {
    double distance = 0.0;
    double value = kUndefined;
    if (device_ == nullptr || !FindOnTrack(argument, &distance, &value)) {
        return false;
    }
    if (IsUndefined(value)) {
        // A gap in the data there: the vertical centre stays.
        const LinearPixelProjection* vertical = GetYProjection();
        value = vertical ? vertical->ToWorld(GetDeviceSize().cy * 0.5) : 0.0;
    }
    if (command == kCommandCenterOnTrack) {
        CenterOn(distance, value);
    } else {
        HoverOnTrack(distance, value);
    }
    return true;
}

void PlotrexOrganizer::HoverOnTrack(double distance, double value) {
    // The axes as the next frame will have them, so that the point stays on
    // the place.
    Update();
    const SIZE size = GetDeviceSize();
    const LinearPixelProjection* vertical = GetYProjection();
    auto x = [&] { return horizontal_.ToPixel(distance); };
    auto y = [&] { return vertical ? vertical->ToPixel(value) : size.cy * 0.5; };
    // A set-square out of sight tells nothing: the view comes to it.
    if (!LinearPixelProjection::InWindow(x(), size.cx) ||
        !LinearPixelProjection::InWindow(y(), size.cy)) {
        CenterOn(distance, value);
    }
    SetHoverPoint(POINT{static_cast<LONG>(std::lround(x())), static_cast<LONG>(std::lround(y()))});
}

std::int32_t PlotrexOrganizer::GetCommandState(const char* command, CommandState* state) {
    if (command == nullptr || state == nullptr) {
        return 0;
    }
    try {
        if (OwnCommandState(command, state)) {
            return 1;
        }
        return AskGraphs([&](PlotrexData& data) { return data.GetCommandState(command, state); });
    } catch (...) {
        // As for the commands themselves: a failing query answers nothing.
    }
    return 0;
}

bool PlotrexOrganizer::OwnCommandState(const std::string& command, CommandState* state) {
    const char* argument = state->argument ? state->argument : "";
    if (command == kCommandShowHide) {
        PlotrexDisplay* display = FindDisplayByName(argument);
        state->checked = display != nullptr && display->IsVisible();
        state->enabled = display != nullptr;
    } else if (command == kCommandScaleValue) {
        const std::int16_t level = LevelArgument(argument);
        state->checked = level == GetLevel();
        state->enabled = IsScaleLevelAllowed(CollectRanges(true).across, level, kFreeLevel);
    } else if (command == kCommandScalePlus || command == kCommandScaleMoins) {
        state->checked = false;
        state->enabled = LinearPixelProjectionLeveled::IsValidLevel(
            GetLevel() + (command == kCommandScalePlus ? -1 : 1));
    } else if (command == kCommandSlopeValue) {
        state->checked = std::atof(argument) == GetSlope();
        state->enabled = true;
    } else if (command == kCommandSlopePlus || command == kCommandSlopeMoins) {
        state->checked = false;
        state->enabled = IsValidSlope(GetSlope() * (command == kCommandSlopePlus ? 2.0 : 0.5));
    } else if (command == kCommandCenterOn || command == kCommandCenterOnProfile ||
               command == kCommandFitToWindow) {
        state->checked = false;
        state->enabled = true;
    } else if (IsTrackCommand(command)) {
        // With a position: whether there is a track to find it on.
        double distance = 0.0;
        double value = 0.0;
        const ProfileSeries* track = TrackOf(FindDataByName(mainType_.c_str()));
        state->checked = false;
        state->enabled = state->argument != nullptr ? FindOnTrack(argument, &distance, &value)
                                                    : track != nullptr && track->GetCount() > 0;
    } else {
        return false;
    }
    return true;
}
