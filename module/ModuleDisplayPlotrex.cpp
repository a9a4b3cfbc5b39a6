#include "module/ModuleDisplayPlotrex.h"

#include "drawing/Palette.h"
#include "graphdata/PlotrexData.h"
#include "graphdata/PlotrexDataProfile.h"
#include "graphdata/PlotrexDataProfileHistoric.h"
#include "hostfamily/Undefined.h"
#include "hostfamily/ZXFeature.h"
#include "layout/PlotrexOrganizer.h"
#include "module/CommandNames.h"
#include "module/CommandState.h"
#include "module/ModuleDataPlotrex.h"

namespace {

// Palette entries of the marks.
constexpr unsigned kAnchorFill = 17;
constexpr unsigned kAnchorOutline = 23;
constexpr unsigned kTrackColour = 30;
constexpr unsigned kHistoricColour = 34;

constexpr std::int32_t kTrackWidth = 1;
constexpr std::int32_t kHistoricSize = 20;
constexpr std::int32_t kAnchorSize = 12;

constexpr const char* kHistoricSymbol = "TGAIS";
constexpr const char* kAnchorSymbol = "CARRE";

// A palette colour as the GDI colour value the display list carries.
std::int32_t ColourValue(unsigned index, int lightMode) {
    const std::uint32_t argb = PaletteColour(index, lightMode);
    const std::uint32_t red = (argb >> 16) & 0xFF, green = (argb >> 8) & 0xFF, blue = argb & 0xFF;
    return static_cast<std::int32_t>(red | (green << 8) | (blue << 16));
}

// A symbol at a point of the chart.
DisplayPrimitive Symbol(const PosType& at, const char* symbol, std::int32_t outline,
                        std::int32_t fill, std::int32_t size) {
    DisplayPrimitive mark(kGeometryPoint);
    mark.AddPoint(at);
    mark.SetAttribute(kAttributeSymbol, std::string(symbol));
    mark.SetAttribute(kAttributeColor, outline);
    mark.SetAttribute(kAttributeFillColor, fill);
    mark.SetAttribute(kAttributeSize, size);
    return mark;
}

}  // namespace

ModuleDisplayPlotrex::ModuleDisplayPlotrex(ModuleData* data)
    : ModuleDisplay(data),
      data_(dynamic_cast<ModuleDataPlotrex*>(data)),
      anchorFirst_(kUndefined),
      anchorSecond_(kUndefined) {
    visible_ = false;
}

ModuleData* ModuleDisplayPlotrex::GetModuleData() {
    return data_;
}

ModuleDisplayPlotrex::~ModuleDisplayPlotrex() = default;

short ModuleDisplayPlotrex::NeedsRedraw() {
    if (data_ == nullptr || !data_->HasView() || data_->GetMode() != 2) {
        return 0;
    }
    double first = kUndefined;
    double second = kUndefined;
    data_->GetAnchorPosition(&first, &second);
    // Written so that a NaN compares as a change.
    if (!(first == anchorFirst_) || !(second == anchorSecond_)) {
        return 1;
    }
    return 0;
}

void ModuleDisplayPlotrex::Symbolize(DisplayPrimitiveContainer* primitives, std::int16_t pass,
                                     const ValidGeoRect* chartRect, double scale,
                                     const ZXFeature* params, void*) {
    if (pass != 1) {
        return;
    }
    own_.Clear();
    if (data_ == nullptr || !data_->HasView()) {
        return;
    }
    const int mode = data_->GetMode();
    if (mode != 0 && mode != 2) {
        return;
    }
    std::int32_t lightMode = 0;
    if (params == nullptr || !params->GetValue("DAY_NIGHT_MODE", lightMode) || lightMode < 0 ||
        lightMode > 2) {
        lightMode = 0;
    }
    chartRect_ = chartRect != nullptr ? *chartRect : ValidGeoRect();
    scale_ = scale;

    if (mode == 0) {
        AddDepthTrack(ColourValue(kTrackColour, lightMode));
    }
    AddHistoricReference(ColourValue(kHistoricColour, lightMode));
    AddAnchorMark(ColourValue(kAnchorOutline, lightMode), ColourValue(kAnchorFill, lightMode));
    if (primitives != nullptr) {
        primitives->Append(own_);
    }
}

void ModuleDisplayPlotrex::AddDepthTrack(std::int32_t colour) {
    PlotrexOrganizer* organizer = data_->GetViewOrganizer();
    if (organizer == nullptr) {
        return;
    }
    // Only while the profile view shows the depth graph.
    CommandState state;
    state.argument = kGraphDepth;
    if (organizer->GetCommandState(kCommandShowHide, &state) == 0 || !state.checked ||
        !state.enabled) {
        return;
    }
    auto* depth = dynamic_cast<PlotrexDataProfile*>(data_->GetGraphs().GetData(kGraphDepth));
    if (depth == nullptr) {
        return;
    }
    const ProfileSeries* series = depth->GetSeries();
    if (series->GetCount() < 2) {
        return;
    }
    DisplayPrimitive line(kGeometryLine);
    for (int i = 0; i < series->GetCount(); ++i) {
        if (!series->At(i).position.IsNoPos()) {
            line.AddPoint(series->At(i).position);
        }
    }
    if (line.GetPoints().size() < 2) {
        return;
    }
    line.SetAttribute(kAttributeWidth, kTrackWidth);
    line.SetAttribute(kAttributeColor, colour);
    line.OptimizeInto(own_, chartRect_, scale_);
}

void ModuleDisplayPlotrex::AddHistoricReference(std::int32_t colour) {
    auto* historic =
        dynamic_cast<PlotrexDataProfileHistoric*>(data_->GetGraphs().GetData(kGraphHistoric));
    if (historic == nullptr) {
        return;
    }
    double first = kUndefined;
    double second = kUndefined;
    historic->GetReferencePosition(&first, &second);
    const ProfileSeries* series = historic->GetSeries();
    if (IsUndefined(first) || IsUndefined(second) || series->GetCount() == 0) {
        return;
    }
    double course = 0.0;
    const double distance = series->DistanceAtPosition(PosType(first, second), &course, true);
    if (distance == -1.0) {
        return;
    }
    const PosType at = series->Interpolate(distance).position;
    if (at.IsNoPos()) {
        // A profile of one point has no place along it.
        return;
    }
    DisplayPrimitive mark = Symbol(at, kHistoricSymbol, colour, colour, kHistoricSize);
    mark.SetAttribute(kAttributeAngle, course);
    mark.OptimizeInto(own_, chartRect_, scale_);
}

void ModuleDisplayPlotrex::AddAnchorMark(std::int32_t outline, std::int32_t fill) {
    anchorFirst_ = kUndefined;
    anchorSecond_ = kUndefined;
    if (!data_->GetAnchorPosition(&anchorFirst_, &anchorSecond_)) {
        return;
    }
    const PosType at(anchorFirst_, anchorSecond_);
    if (at.IsNoPos()) {
        return;
    }
    Symbol(at, kAnchorSymbol, outline, fill, kAnchorSize).OptimizeInto(own_, chartRect_, scale_);
}
