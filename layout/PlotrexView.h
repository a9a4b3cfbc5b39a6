#pragma once
// The profile view: a child window of the host in which one organizer lays
// out and draws the graphs against the distance run. The user drags the
// graphs with the left button, scrolls them by holding the button near an
// edge, zooms with the wheel and marks a point with the right button. The
// host's named commands arrive as the two registered command messages.
// Created by the run-time class name "PlotrexView".
#include "layout/PlotrexOrganizer.h"
#include "platform/CWnd.h"

class PlotrexView : public CWnd {
    DECLARE_DYNCREATE(PlotrexView)

  public:
    // Timers of the view, all started by StartTimers.
    static constexpr UINT_PTR kRedrawTimer = 0;      // repaint when something changed
    static constexpr UINT_PTR kEdgeScrollTimer = 1;  // a scrolling step while held near an edge
    static constexpr UINT_PTR kMouseLeftTimer = 2;   // hover marks go once the mouse left
    static constexpr UINT kRedrawPeriod = 100;
    static constexpr UINT kEdgeScrollPeriod = 100;
    static constexpr UINT kMouseLeftPeriod = 1000;
    // Width of the band along the edges where a press scrolls instead of dragging.
    static constexpr int kEdgeBand = 32;
    // The smallest surface the device is given, per dimension.
    static constexpr int kMinSurface = 32;

    PlotrexView();
    ~PlotrexView() override;

    PlotrexOrganizer& GetOrganizer() { return organizer_; }
    // Starts the three timers; dayNightMode (not owned, may be null) selects
    // the night cursors when it holds 2.
    void StartTimers(short* dayNightMode);

    // The command messages go to the organizer before anything else.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  protected:
    void OnPaint();
    LRESULT OnEraseBkgnd(WPARAM, LPARAM);
    void OnSize(UINT type, int cx, int cy);
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    void OnLButtonDown(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    void OnMouseMove(UINT flags, POINT point);
    void OnRButtonUp(UINT flags, POINT point);
    BOOL OnMouseWheel(UINT flags, short delta, POINT point);
    void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

  private:
    // The cursor id for a client point; 0 near an edge but in no zone.
    int CursorIdAt(POINT point) const;
    void SetCursorAt(POINT point);
    // One step of scrolling toward the edge the pointer is near.
    void EdgeScrollStep(POINT point);
    void RedrawIfNeeded();
    POINT CursorInClient() const;

    PlotrexOrganizer organizer_;
    POINT dragPoint_ = kNoPoint;
    bool edgeScrolling_ = false;
    bool mouseInside_ = false;
    // The hover point the mouse set last.
    POINT mouseHover_ = kNoPoint;
    short* dayNightMode_ = nullptr;
};
