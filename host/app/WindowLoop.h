#pragma once
// The voyage sailed in a real window, on the ship's clock at --speed times
// real time: the user's keys, mouse and wheel reach the view, the chart
// follows the ship and the title tells the zoom level and the slope.
#include "host/app/KeyMap.h"
#include "host/app/RunParts.h"
#include "host/app/SdlDesktop.h"

class WindowLoop {
  public:
    WindowLoop(RunParts& parts, SdlDesktop& window)
        : parts_(parts), window_(window), keys_(parts) {}
    // Until the user closes the window, or --duration is over.
    void Sail();

  private:
    void OnKey(int key);
    // The ship's states due by the ship's clock, each a cycle.
    void CatchUp(double shipSeconds);

    RunParts& parts_;
    SdlDesktop& window_;
    KeyMap keys_;
    ShipSnapshot next_;
    bool pending_ = false;
};
