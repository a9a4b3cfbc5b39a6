#pragma once
// The strip along the bottom of the host's window that shows the replay's
// span: how much of it has been sailed, where the ship is, and marks where
// the log's time jumped (orange, above) or it was damaged (red, below). A
// click or a drag on it asks to go to the time under the pointer.
#include <functional>
#include <vector>

#include "platform/CWnd.h"
#include "platform/CairoHandles.h"
#include "platform/MessageMap.h"

struct TimelineScene {
    double span = 0.0;      // ship seconds of the last cycle
    double position = 0.0;  // ship seconds now
    bool paused = false;
    const std::vector<double>* timeJumps = nullptr;
    const std::vector<double>* damaged = nullptr;
    double jumpTarget = -1.0;  // ship seconds a jump under way goes to; < 0: none
};

class TimelineStrip : public CWnd {
  public:
    static constexpr int kHeight = 28;

    using SeekTo = std::function<void(double shipSeconds)>;
    explicit TimelineStrip(SeekTo seek) : seek_(std::move(seek)) {}

    // Repaints when the position moved by a pixel or more, or the rest did.
    void Show(const TimelineScene& scene);
    // The strip as it looks at a size, for the window and for pictures.
    static void Paint(cairo_t* cr, int width, int height, const TimelineScene& scene);
    // The ship time under client x, within the span.
    static double TimeAt(int x, int width, double span);

  protected:
    void OnPaint();
    void OnLButtonDown(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    void OnMouseMove(UINT flags, POINT point);
    DECLARE_MESSAGE_MAP()

  private:
    int Width() const;

    SeekTo seek_;
    TimelineScene scene_;
    int shownX_ = -1;
    bool dragging_ = false;
};
