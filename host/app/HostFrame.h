#pragma once
// The host's main window: the frame that holds the module's view and, when
// the host shows one, its chart beside it, the two sharing the client area
// above the replay's timeline when there is one.
#include "platform/CWnd.h"
#include "platform/MessageMap.h"

class HostFrame : public CWnd {
  public:
    // The first child window that is not the chart (the module's view), null
    // when there is none.
    HWND ViewWindow() const;
    // A chart beside the view; null for the view alone.
    void SetChartWindow(HWND chart);
    // A strip of this height along the bottom, under the view and the chart;
    // null for none.
    void SetTimelineWindow(HWND timeline, int height);
    // Which of the view and the chart has the larger share.
    void SwapShares();

  protected:
    void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()

  private:
    void Layout();

    HWND chart_ = nullptr;
    HWND timeline_ = nullptr;
    int timelineHeight_ = 0;
    bool chartLarger_ = false;
};
