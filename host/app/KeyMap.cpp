#include "host/app/KeyMap.h"

#include <algorithm>

#include "host/app/TellUser.h"
#include "host/app/ViewStates.h"
#include "host/app/VoyageExport.h"
#include "module/CommandNames.h"
#include "module/GraphKeys.h"

namespace {

// What one key press pays out or heaves in.
constexpr double kCableStep = 50.0;

}  // namespace

KeyMap::KeyMap(RunParts& parts) {
    const ViewCommands& view = parts.view;
    ModuleHost& module = parts.module;
    auto send = [&view](const char* command) { return [&view, command] { view.Send(command); }; };
    auto payOut = [&parts](double metres) {
        return [&parts, metres] {
            parts.trawl.PayOut(metres);
            parts.cycle.HandTrawl();
        };
    };
    bindings_ = {
        {'+', "zoom in", send(kCommandScalePlus)},
        {'-', "zoom out", send(kCommandScaleMoins)},
        {'^', "steeper slope", send(kCommandSlopePlus)},
        {'v', "flatter slope", send(kCommandSlopeMoins)},
        {'c', "centre on the vessel", send(kCommandCenterOn)},
        {'f', "fit the window", send(kCommandFitToWindow)},
        {'m', "the next display mode", [&module] { module.NextMode(); }},
        {'n', "day, dusk and night in turn", [&module] { module.NextLight(); }},
        {'l', "the next label size", [&module] { module.NextLabelSize(); }},
        {'s', "swap the shares of the view and the chart",
         [&module] { module.Frame().SwapShares(); }},
        {'p', "a picture of the window into --out",
         [&parts] { parts.pictures.TakeWindow(parts.module.Frame().GetSafeHwnd()); }},
        {'e', "export the profile, track, pictures and echograms into --export (else --out)",
         [&parts] {
             VoyageExport exported(parts);
             exported.Write(parts.options.exportDir.empty() ? parts.options.outDir
                                                            : parts.options.exportDir);
             TellUser(exported.Summary());
         }},
        {'o', "pay out the trawl's cable", payOut(kCableStep)},
        {'i', "heave in the trawl's cable", payOut(-kCableStep)},
        {'k', "the echogram's next colour scale", send(kCommandEtrColours)},
        {'b', "show or hide the echogram's colour bar",
         [&view] { view.Send(kCommandShowHide, kGraphColourBar); }},
        {'g', "the echogram's gain up", send(kCommandEtrGainPlus)},
        {'h', "the echogram's gain down", send(kCommandEtrGainMoins)},
        {'t', "the echogram's threshold up", send(kCommandEtrThresholdPlus)},
        {'r', "the echogram's threshold down", send(kCommandEtrThresholdMoins)},
    };
    for (int graph = 0; graph < 8; ++graph) {
        bindings_.push_back({'1' + graph,
                             "show or hide a graph (depth, temperature, forecast, "
                             "historic, vessel, trawl, echogram, A-scope)",
                             [&view, graph] { view.Send(kCommandShowHide, kGraphKeys[graph]); }});
    }
}

bool KeyMap::Press(int key) const {
    const auto binding = std::find_if(bindings_.begin(), bindings_.end(),
                                      [key](const KeyBinding& b) { return b.key == key; });
    if (binding == bindings_.end()) {
        return false;
    }
    binding->act();
    return true;
}
