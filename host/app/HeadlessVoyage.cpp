#include "host/app/HeadlessVoyage.h"

#include <unistd.h>

#include <cstdio>

#include "host/app/Format.h"
#include "host/chart/HostChart.h"
#include "module/CommandNames.h"
#include "module/ModuleDataPlotrexInterface.h"

namespace {

// A progress bar on a terminal, for long replays.
class ProgressBar {
  public:
    explicit ProgressBar(bool enabled) : enabled_(enabled && isatty(STDERR_FILENO)) {}
    ~ProgressBar() {
        if (shown_) {
            std::fprintf(stderr, "\r%60s\r", "");
        }
    }
    void Show(double fraction) {
        const int percent = static_cast<int>(fraction * 100.0);
        if (!enabled_ || percent == last_) {
            return;
        }
        last_ = percent;
        shown_ = true;
        const int filled = percent * 40 / 100;
        std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled,
                     "########################################", 40 - filled, "", percent);
        std::fflush(stderr);
    }

  private:
    bool enabled_;
    bool shown_ = false;
    int last_ = -1;
};

}  // namespace

void HeadlessVoyage::Sail() {
    // The sounder's commands go before the voyage, so that the pictures show
    // what it sends after them.
    parts_.userCommands.SendSounderCommands();
    ShipFeed& feed = *parts_.sources.feed;
    ModuleHost& module = parts_.module;
    ProgressBar progress(parts_.sources.nmea != nullptr || parts_.sources.sonar != nullptr);
    // The chart is hidden until its picture at the end: it is not painted for
    // each of the view's pictures and holds no pixels meanwhile.
    ShowChart(false);
    double nextPicture = 0.25;
    // Every cycle waits for its pings: they are made here.
    module.Sounder().PingHere(true);
    while (feed.Next(module.Now())) {
        module.Sounder().Sail(module.Now());
        module.Sounder().Settle();
        parts_.cycle.Step();
        // No one looks at the windows between pictures: what the cycle posted
        // is delivered, the paints wait for the next picture, as for a host
        // whose windows are hidden.
        parts_.desktop.DeliverMessages();
        progress.Show(feed.Progress());
        PictureOnTheWay(nextPicture);
    }
    if (module.ViewOpen()) {
        FinalPictures();
    }
    ShowChart(true);
}

void HeadlessVoyage::ShowChart(bool show) {
    if (HostChart* chart = parts_.module.Chart()) {
        chart->ShowWindow(show ? SW_SHOWNA : SW_HIDE);
        if (!show) {
            parts_.desktop.DropContents(chart->GetSafeHwnd());
        }
    }
}

void HeadlessVoyage::TakeView(const std::string& name) {
    const HWND frame = parts_.module.Frame().GetSafeHwnd();
    parts_.pictures.TakeView(frame, name);
    // No one looks at the view until its next picture, which paints it anew.
    parts_.desktop.DropContents(frame);
}

void HeadlessVoyage::PictureOnTheWay(double& nextPicture) {
    const double progress = parts_.sources.feed->Progress();
    if (!parts_.module.ViewOpen() || progress < nextPicture || nextPicture >= 1.0) {
        return;
    }
    // Without a layout of the user's, each picture shows the ship with a
    // kilometre of the track behind it (the net on its cable) and the depth
    // ahead.
    if (!parts_.module.HadLayout()) {
        parts_.view.Send(kCommandScaleValue, "8");
        parts_.view.Send(kCommandCenterOn);
    }
    TakeView(Format("view-%03d.png", static_cast<int>(nextPicture * 100)));
    nextPicture += 0.25;
}

void HeadlessVoyage::FinalPictures() {
    ModuleHost& module = parts_.module;
    // A first run has no layout yet: show the whole voyage.
    if (!module.HadLayout()) {
        parts_.view.Send(kCommandFitToWindow);
    }
    // As a user resting the mouse on the middle of the profile: the set-square
    // there, and the anchor mark on the chart at the same place.
    RECT view{};
    if (::GetWindowRect(module.Frame().ViewWindow(), &view)) {
        parts_.desktop.MoveMouse(POINT{(view.left + view.right) / 2, (view.top + view.bottom) / 2});
    }
    parts_.userCommands.SendViewCommands();
    TakeView("view.png");
    if (module.Chart() != nullptr) {
        ShowChart(true);
        parts_.cycle.RefreshChart(true);
        parts_.pictures.TakeChart(module.Chart()->GetSafeHwnd());
    }
}
