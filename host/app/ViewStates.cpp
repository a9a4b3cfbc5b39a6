#include "host/app/ViewStates.h"

#include <cmath>

#include "host/app/Format.h"
#include "module/CommandNames.h"

std::string WindowTitle(const ViewCommands& view, int displayMode) {
    std::string title = "Plotrex";
    if (displayMode == 1) {
        return title + " - echogram";
    }
    for (int level = 3; level <= 15; ++level) {
        if (view.Checked(kCommandScaleValue, std::to_string(level))) {
            title += " - level " + std::to_string(level);
        }
    }
    for (int power = -10; power <= 10; ++power) {
        const std::string text = Format("%.10g", std::ldexp(1.0, power));
        if (view.Checked(kCommandSlopeValue, text)) {
            title +=
                power >= 0 ? " - slope x " + text : " - slope 1:" + std::to_string(1 << -power);
        }
    }
    return title;
}

std::string EchogramLook(const ViewCommands& view) {
    std::string scale;
    for (const EchoColourScaleName& each : kEchoColourScales) {
        if (view.Checked(kCommandEtrColours, each.parameter)) {
            scale = each.name;
        }
    }
    if (scale.empty()) {
        return "";
    }
    auto neutral = [&view](const char* step) {
        return view.Checked(step, "") ? std::string("set") : std::string("neutral");
    };
    return scale + " colours, colour bar " +
           (view.Checked(kCommandShowHide, kGraphColourBar) ? "shown" : "hidden") + ", gain " +
           neutral(kCommandEtrGainPlus) + ", threshold " + neutral(kCommandEtrThresholdPlus);
}

std::string DescribePanes(const ViewCommands& view) {
    auto display = [&](const char* param) { return view.Checked(kCommandEtrDisplay, param); };
    const bool hf = view.Checked(kCommandEtrFrequency, kCommandEtrHfParam);
    const std::string frequency = hf ? "HF" : "LF";
    std::string first = frequency;
    std::string second;
    if (display(kCommandEtrDualFreqParam)) {
        first = "HF";
        second = "LF";
    } else if (display(kCommandEtrMarkerZoomParam)) {
        second = frequency + " marker zoom";
    } else if (display(kCommandEtrBottomZoomParam)) {
        second = frequency + " bottom zoom";
    } else if (display(kCommandEtrBottomLockParam)) {
        second = frequency + " bottom lock";
    } else if (display(kCommandEtrBottomDiscrParam)) {
        second = frequency + " bottom discrimination";
    }
    if (second.empty()) {
        return "one pane: " + first;
    }
    // Two panes share the window along its longer side.
    RECT client{};
    if (HWND window = view.View()) {
        ::GetClientRect(window, &client);
    }
    if (client.right > client.bottom) {
        return "two panes side by side: " + second + " (left), " + first + " (right)";
    }
    return "two panes stacked: " + first + " (top), " + second + " (bottom)";
}

std::string EchoSounderDisplay(const ViewCommands& view) {
    static const char* const kDisplays[][2] = {
        {kCommandEtrDualFreqParam, "dual frequency"},
        {kCommandEtrSingleFreqParam, "single frequency"},
        {kCommandEtrMarkerZoomParam, "marker zoom"},
        {kCommandEtrBottomZoomParam, "bottom zoom"},
        {kCommandEtrBottomLockParam, "bottom lock"},
        {kCommandEtrBottomDiscrParam, "bottom discrimination"},
    };
    std::string shown;
    for (const auto& display : kDisplays) {
        if (view.Checked(kCommandEtrDisplay, display[0])) {
            shown += (shown.empty() ? "" : ", ") + std::string(display[1]);
        }
    }
    if (shown.empty()) {
        return shown;
    }
    if (view.Checked(kCommandEtrFrequency, kCommandEtrHfParam)) {
        shown += ", HF";
    } else if (view.Checked(kCommandEtrFrequency, kCommandEtrLfParam)) {
        shown += ", LF";
    }
    return shown;
}

std::string GraphsInView(const ViewCommands& view) {
    std::string graphs;
    int count = 0;
    for (const char* graph : kGraphKeys) {
        CommandState state;
        if (!view.Query(kCommandShowHide, graph, state) || !state.enabled) {
            continue;
        }
        graphs += (count++ == 0 ? " (" : ", ") + std::string(graph);
        if (!state.checked) {
            graphs += " hidden";
        }
    }
    return Format("Graphs in the view: %d%s%s", count, graphs.c_str(), count > 0 ? ")" : "");
}
