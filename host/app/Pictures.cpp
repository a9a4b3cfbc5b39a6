#include "host/app/Pictures.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/app/Format.h"
#include "host/app/TellUser.h"

namespace {

// One host cycle's worth of view timers in headless mode: enough for the
// 100 ms repaint timer to fire.
constexpr DWORD kRepaintMilliseconds = 250;

}  // namespace

std::string Pictures::PathOf(const std::string& name) const {
    return (std::filesystem::path(folder_) / name).string();
}

ErrorOr<void> Pictures::Save(HWND window, const std::string& path) {
    errno = 0;
    if (desktop_.SaveWindowPng(window, path)) {
        return {};
    }
    const int reason = errno;
    return Error::Failed("cannot write " + path + ": " +
                         (reason != 0 ? std::strerror(reason) : "the picture could not be made"));
}

void Pictures::TakeView(HWND frame, const std::string& name) {
    desktop_.Idle(kRepaintMilliseconds);
    const std::string path = PathOf(name);
    if (ErrorOr<void> saved = Save(frame, path); !saved) {
        TellUser(saved.GetError().Message());
        failed_ = true;
        return;
    }
    taken_.push_back(path);
}

void Pictures::TakeChart(HWND chart) {
    // Only the chart paints: another window painted now, for nothing, would
    // hold its pixels beside the chart's.
    desktop_.DeliverMessages();
    desktop_.UpdateWindow(chart);
    const std::string path = PathOf("chart.png");
    if (ErrorOr<void> saved = Save(chart, path); !saved) {
        TellUser(saved.GetError().Message());
        failed_ = true;
        return;
    }
    chartPicture_ = path;
}

void Pictures::TakeWindow(HWND frame) {
    const std::string path = PathOf(Format("window-%03zu.png", taken_.size() + 1));
    // A window run does not make the folder at its start.
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (desktop_.SaveWindowPng(frame, path)) {
        taken_.push_back(path);
    } else {
        TellUser("cannot write " + path);
    }
}
