#include "layout/LayoutCommands.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "drawing/PlotrexDisplay.h"
#include "graphdata/PlotrexData.h"
#include "graphdata/PlotrexDataProfile.h"
#include "graphdata/PlotrexDataProfileHistoric.h"
#include "hostfamily/Undefined.h"
#include "layout/LevelText.h"
#include "layout/PlotrexOrganizer.h"
#include "layout/ProjectionUpdater.h"
#include "module/CommandNames.h"
#include "module/CommandState.h"
#include "module/GraphKeys.h"

namespace {

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

}  // namespace

LayoutCommands::LayoutCommands(PlotrexOrganizer& organizer, ProjectionUpdater& updater)
    : organizer_(organizer), updater_(updater) {}

template <typename Ask>
std::int32_t LayoutCommands::AskGraphs(Ask ask) {
    for (PlotrexDisplay* display : organizer_.GetDisplays()) {
        if (PlotrexData* data = display->GetData()) {
            if (const std::int32_t result = ask(*data)) {
                return result;
            }
        }
    }
    return 0;
}

std::int32_t LayoutCommands::Execute(const char* command, const char* argument) {
    if (command == nullptr) {
        return 0;
    }
    try {
        if (IsTrackCommand(command)) {
            // A position off any track is a refusal, not a success.
            const bool done = TrackCommand(command, argument);
            if (done) {
                organizer_.SetModified();
            }
            return done ? 1 : 0;
        }
        if (ExecuteOwn(command, argument)) {
            organizer_.SetModified();
            return 1;
        }
        const std::int32_t result =
            AskGraphs([&](PlotrexData& data) { return data.ExecuteCommand(command, argument); });
        if (result != 0) {
            organizer_.SetModified();
        }
        return result;
    } catch (...) {
        // Nothing gets through to the host: a failing command did nothing.
    }
    return 0;
}

bool LayoutCommands::ExecuteOwn(const std::string& command, const char* argument) {
    const char* text = argument ? argument : "";
    PlotrexOrganizer& o = organizer_;
    if (command == kCommandShowHide && std::string(text) == kGraphColourBar) {
        // The echogram's own: its data carries it out.
        return false;
    }
    if (command == kCommandShowHide) {
        if (PlotrexDisplay* display = o.FindDisplayByName(text)) {
            const bool visible = display->SetVisible(!display->IsVisible());
            if (visible && o.GetTracker() != nullptr) {
                o.CenterOn(o.GetLastDistance(), 0.0);
            }
        }
    } else if (command == kCommandScaleValue) {
        o.SetLevel(LevelFromText(text));
    } else if (command == kCommandScalePlus) {
        o.SetLevel(static_cast<std::int16_t>(o.GetLevel() - 1));
    } else if (command == kCommandScaleMoins) {
        o.SetLevel(static_cast<std::int16_t>(o.GetLevel() + 1));
    } else if (command == kCommandSlopeValue) {
        o.SetSlope(std::atoi(text));
    } else if (command == kCommandSlopePlus) {
        o.SetSlope(o.GetSlope() * 2.0);
    } else if (command == kCommandSlopeMoins) {
        o.SetSlope(o.GetSlope() * 0.5);
    } else if (command == kCommandCenterOn) {
        o.CenterOnVessel();
        o.Fit(false, true);
    } else if (command == kCommandCenterOnProfile) {
        CenterOnProfile(text);
    } else if (command == kCommandFitToWindow) {
        o.Fit(true, true);
    } else {
        return false;
    }
    return true;
}

double LayoutCommands::MiddleValue() {
    const LinearPixelProjection* vertical = organizer_.GetYProjection();
    return vertical ? vertical->ToWorld(organizer_.GetDeviceSize().cy * 0.5) : 0.0;
}

void LayoutCommands::CenterOnProfile(const char* argument) {
    double first = 0.0;
    double second = 0.0;
    if (std::sscanf(argument, "%lf %lf", &first, &second) != 2) {
        return;
    }
    auto* historic =
        dynamic_cast<PlotrexDataProfileHistoric*>(organizer_.FindDataByName(kGraphHistoric));
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
    const double value = IsUndefined(point.value) ? MiddleValue() : point.value;
    // Laid under the own track, the profile is drawn shifted by its offset.
    organizer_.CenterOn(distance - historic->GetOffset(), value);
}

bool LayoutCommands::FindOnTrack(const char* argument, double* distance, double* value) {
    double first = 0.0;
    double second = 0.0;
    int used = 0;
    // Two numbers and nothing else: a position followed by anything may
    // not be the position meant.
    if (argument == nullptr || std::sscanf(argument, "%lf %lf %n", &first, &second, &used) != 2 ||
        argument[used] != '\0' || !std::isfinite(first) || !std::isfinite(second)) {
        return false;
    }
    const ProfileSeries* track =
        TrackOf(organizer_.FindDataByName(organizer_.GetMainType().c_str()));
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

bool LayoutCommands::TrackCommand(const std::string& command, const char* argument) {
    double distance = 0.0;
    double value = kUndefined;
    if (organizer_.GetDevice() == nullptr || !FindOnTrack(argument, &distance, &value)) {
        return false;
    }
    if (IsUndefined(value)) {
        // A gap in the data there: the vertical centre stays.
        value = MiddleValue();
    }
    if (command == kCommandCenterOnTrack) {
        organizer_.CenterOn(distance, value);
        // The place's other values too (temperature beside depth).
        updater_.BringOtherValuesIntoView(distance);
    } else {
        HoverOnTrack(distance, value);
    }
    return true;
}

void LayoutCommands::HoverOnTrack(double distance, double value) {
    // The axes as the next frame will have them, so that the point stays on
    // the place.
    organizer_.Update();
    const SIZE size = organizer_.GetDeviceSize();
    const LinearPixelProjectionLeveled& horizontal = organizer_.GetHorizontalProjection();
    const LinearPixelProjection* vertical = organizer_.GetYProjection();
    auto x = [&] { return horizontal.ToPixel(distance); };
    auto y = [&] { return vertical ? vertical->ToPixel(value) : size.cy * 0.5; };
    // A set-square out of sight tells nothing: the view comes to it.
    if (!LinearPixelProjection::InWindow(x(), size.cx) ||
        !LinearPixelProjection::InWindow(y(), size.cy)) {
        organizer_.CenterOn(distance, value);
    }
    organizer_.SetHoverPoint(
        POINT{static_cast<LONG>(std::lround(x())), static_cast<LONG>(std::lround(y()))});
}

std::int32_t LayoutCommands::State(const char* command, CommandState* state) {
    if (command == nullptr || state == nullptr) {
        return 0;
    }
    try {
        if (OwnState(command, state)) {
            return 1;
        }
        return AskGraphs([&](PlotrexData& data) { return data.GetCommandState(command, state); });
    } catch (...) {
        // As for the commands themselves: a failing query answers nothing.
    }
    return 0;
}

bool LayoutCommands::OwnState(const std::string& command, CommandState* state) {
    const char* argument = state->argument ? state->argument : "";
    PlotrexOrganizer& o = organizer_;
    if (command == kCommandShowHide && std::string(argument) == kGraphColourBar) {
        return false;
    }
    if (command == kCommandShowHide) {
        PlotrexDisplay* display = o.FindDisplayByName(argument);
        state->checked = display != nullptr && display->IsVisible();
        state->enabled = display != nullptr;
    } else if (command == kCommandScaleValue) {
        const std::int16_t level = LevelFromText(argument);
        state->checked = level == o.GetLevel();
        state->enabled = o.IsScaleLevelAllowed(updater_.CollectRanges(true).across, level,
                                               PlotrexOrganizer::kFreeLevel);
    } else if (command == kCommandScalePlus || command == kCommandScaleMoins) {
        state->checked = false;
        state->enabled = LinearPixelProjectionLeveled::IsValidLevel(
            o.GetLevel() + (command == kCommandScalePlus ? -1 : 1));
    } else if (command == kCommandSlopeValue) {
        state->checked = std::atof(argument) == o.GetSlope();
        state->enabled = true;
    } else if (command == kCommandSlopePlus || command == kCommandSlopeMoins) {
        state->checked = false;
        state->enabled = o.IsValidSlope(o.GetSlope() * (command == kCommandSlopePlus ? 2.0 : 0.5));
    } else if (command == kCommandCenterOn || command == kCommandCenterOnProfile ||
               command == kCommandFitToWindow) {
        state->checked = false;
        state->enabled = true;
    } else if (IsTrackCommand(command)) {
        // With a position: whether there is a track to find it on.
        double distance = 0.0;
        double value = 0.0;
        const ProfileSeries* track = TrackOf(o.FindDataByName(o.GetMainType().c_str()));
        state->checked = false;
        state->enabled = state->argument != nullptr ? FindOnTrack(argument, &distance, &value)
                                                    : track != nullptr && track->GetCount() > 0;
    } else {
        return false;
    }
    return true;
}
