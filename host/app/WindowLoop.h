#pragma once
// The voyage sailed in a real window, on the ship's clock at --speed times
// real time as the user steers it (pause, speed, step, the timeline along
// the bottom): the user's keys, mouse and wheel reach the view, the chart
// follows the ship and the title tells the zoom level, the slope, the ship's
// time, the speed and whether it plays.
#include <memory>

#include "host/app/KeyMap.h"
#include "host/app/Playback.h"
#include "host/app/RunParts.h"
#include "host/app/SdlDesktop.h"
#include "host/app/TimelineStrip.h"

class WindowLoop {
  public:
    WindowLoop(RunParts& parts, SdlDesktop& window, FeedIndex index)
        : parts_(parts), window_(window), keys_(parts), playback_(parts, std::move(index)) {}
    ~WindowLoop();
    // Until the user closes the window, or --duration is over.
    void Sail();

  private:
    void OnKey(int key);
    // A scout sailing the log ahead, for jumps far ahead.
    void StartScout();
    void ShowTimeline();

    RunParts& parts_;
    SdlDesktop& window_;
    KeyMap keys_;
    Playback playback_;
    std::unique_ptr<TimelineStrip> timeline_;
};
