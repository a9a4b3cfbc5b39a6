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
        if (view.Checked("PLOTREX_SCALE_VALUE", std::to_string(level))) {
            title += " - level " + std::to_string(level);
        }
    }
    for (int power = -10; power <= 10; ++power) {
        const std::string text = Format("%.10g", std::ldexp(1.0, power));
        if (view.Checked("PLOTREX_SLOPE_VALUE", text)) {
            title +=
                power >= 0 ? " - slope x " + text : " - slope 1:" + std::to_string(1 << -power);
        }
    }
    return title;
}

std::string DescribePanes(const ViewCommands& view) {
    auto display = [&](const char* param) { return view.Checked("PLOTREX_ETR_DISPLAY", param); };
    const bool hf = view.Checked("PLOTREX_ETR_FREQUENCY", "PLOTREX_ETR_HF_PARAM");
    const std::string frequency = hf ? "HF" : "LF";
    std::string first = frequency;
    std::string second;
    if (display("PLOTREX_ETR_DUALFREQ_PARAM")) {
        first = "HF";
        second = "LF";
    } else if (display("PLOTREX_ETR_MARKERZOOM_PARAM")) {
        second = frequency + " marker zoom";
    } else if (display("PLOTREX_ETR_BOTTOMZOOM_PARAM")) {
        second = frequency + " bottom zoom";
    } else if (display("PLOTREX_ETR_BOTTOMLOCK_PARAM")) {
        second = frequency + " bottom lock";
    } else if (display("PLOTREX_ETR_BOTTOMDISCR_PARAM")) {
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
        {"PLOTREX_ETR_DUALFREQ_PARAM", "dual frequency"},
        {"PLOTREX_ETR_SINGLEFREQ_PARAM", "single frequency"},
        {"PLOTREX_ETR_MARKERZOOM_PARAM", "marker zoom"},
        {"PLOTREX_ETR_BOTTOMZOOM_PARAM", "bottom zoom"},
        {"PLOTREX_ETR_BOTTOMLOCK_PARAM", "bottom lock"},
        {"PLOTREX_ETR_BOTTOMDISCR_PARAM", "bottom discrimination"},
    };
    std::string shown;
    for (const auto& display : kDisplays) {
        if (view.Checked("PLOTREX_ETR_DISPLAY", display[0])) {
            shown += (shown.empty() ? "" : ", ") + std::string(display[1]);
        }
    }
    if (shown.empty()) {
        return shown;
    }
    if (view.Checked("PLOTREX_ETR_FREQUENCY", "PLOTREX_ETR_HF_PARAM")) {
        shown += ", HF";
    } else if (view.Checked("PLOTREX_ETR_FREQUENCY", "PLOTREX_ETR_LF_PARAM")) {
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
