// Mouse input turned into messages: capture, drags, the wheel, cursors and
// leaving a window.
#include <gtest/gtest.h>

#include "tests/platform/RecordingWindow.h"

namespace {

constexpr int kEdgeCursor = 330;

// Captures on a left press and lets go on release, like a view that drags;
// near its left edge it shows its own cursor, elsewhere the default one.
class DragWindow : public RecordingWindow {
  protected:
    void OnLButtonDown(UINT, POINT) { SetCapture(); }
    void OnLButtonUp(UINT, POINT) { ::ReleaseCapture(); }
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message) {
        POINT p;
        ::GetCursorPos(&p);
        ScreenToClient(&p);
        if (p.x < 10) {
            ::SetCursor(GetCurrentDesktop()->LoadCursor(kEdgeCursor, nullptr));
            return TRUE;
        }
        return CWnd::OnSetCursor(window, hitTest, message);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DragWindow, RecordingWindow)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

// A frame at (0, 0) with a drag window at (100, 100) of 200 x 100.
struct MouseDesk : FrameAndView<DragWindow> {
    MouseDesk() : FrameAndView(RECT{0, 0, 800, 600}, RECT{100, 100, 300, 200}) {}
};

}  // namespace

TEST(Mouse, ClickCapturesAndReleaseFrees) {
    MouseDesk d;
    d.desktop.PressButton(MouseButton::Left, POINT{150, 120});
    EXPECT_EQ(::GetCapture(), d.view.m_hWnd);
    EXPECT_EQ(CWnd::GetCapture(), &d.view);
    // Outside the view, even over its parent, the view still gets the mouse,
    // in its own coordinates, and no WM_SETCURSOR.
    d.view.Clear();
    d.desktop.MoveMouse(POINT{50, 40});
    EXPECT_EQ(d.view.Log(), std::vector<std::string>{"WM_MOUSEMOVE -50,-60 keys=1"});
    EXPECT_EQ(d.frame.Count(WM_MOUSEMOVE), 0);
    d.desktop.ReleaseButton(MouseButton::Left, POINT{50, 40});
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(d.view.Log(),
              (std::vector<std::string>{"WM_MOUSEMOVE -50,-60 keys=1",
                                        "WM_LBUTTONUP -50,-60 keys=0", "WM_CAPTURECHANGED"}));
    // Free again: the frame gets what is over it.
    d.frame.Clear();
    d.desktop.MoveMouse(POINT{60, 40});
    EXPECT_EQ(d.frame.Log(), (std::vector<std::string>{"WM_SETCURSOR hit=1 for=0x200",
                                                       "WM_MOUSEMOVE 60,40 keys=0"}));
}

TEST(Mouse, DragMovesCarryTheLeftButton) {
    MouseDesk d;
    d.desktop.MoveMouse(POINT{150, 150});
    d.desktop.PressButton(MouseButton::Left, POINT{150, 150});
    d.desktop.MoveMouse(POINT{155, 150});
    d.desktop.MoveMouse(POINT{155, 150});  // no move, no message
    d.desktop.SetModifierKeys(MK_SHIFT);
    d.desktop.MoveMouse(POINT{160, 152});
    d.desktop.ReleaseButton(MouseButton::Left, POINT{160, 152});
    EXPECT_EQ(d.view.Log({WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}),
              (std::vector<std::string>{"WM_MOUSEMOVE 50,50 keys=0", "WM_LBUTTONDOWN 50,50 keys=1",
                                        "WM_MOUSEMOVE 55,50 keys=1", "WM_MOUSEMOVE 60,52 keys=5",
                                        "WM_LBUTTONUP 60,52 keys=4"}));
}

TEST(Mouse, RightButtonWithoutCapture) {
    MouseDesk d;
    d.desktop.PressButton(MouseButton::Right, POINT{120, 130});
    d.desktop.ReleaseButton(MouseButton::Right, POINT{120, 130});
    EXPECT_EQ(
        d.view.Log({WM_RBUTTONDOWN, WM_RBUTTONUP}),
        (std::vector<std::string>{"WM_RBUTTONDOWN 20,30 keys=2", "WM_RBUTTONUP 20,30 keys=0"}));
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST(Mouse, WheelGivesSignedDeltaWithScreenPoint) {
    MouseDesk d;
    d.desktop.TurnWheel(POINT{150, 150}, WHEEL_DELTA);
    d.desktop.TurnWheel(POINT{150, 150}, -WHEEL_DELTA);
    EXPECT_EQ(d.view.Log({WM_MOUSEWHEEL}),
              (std::vector<std::string>{"WM_MOUSEWHEEL 150,150 delta=120 keys=0",
                                        "WM_MOUSEWHEEL 150,150 delta=-120 keys=0"}));
    // The view left the wheel to the default procedure, which hands it up.
    EXPECT_EQ(d.frame.Log({WM_MOUSEWHEEL}),
              (std::vector<std::string>{"WM_MOUSEWHEEL 150,150 delta=120 keys=0",
                                        "WM_MOUSEWHEEL 150,150 delta=-120 keys=0"}));
}

TEST(Mouse, CursorIsSetPerWindowAndRemembered) {
    MouseDesk d;
    d.desktop.MoveMouse(POINT{105, 150});
    EXPECT_EQ(d.desktop.CurrentCursorId(), kEdgeCursor);
    d.desktop.MoveMouse(POINT{200, 150});
    EXPECT_EQ(d.desktop.CurrentCursorId(), kArrowCursorId);
    EXPECT_EQ(d.desktop.GetCursorResourceId(::LoadCursor(nullptr, IDC_ARROW)), kArrowCursorId);
    EXPECT_EQ(::LoadCursor(nullptr, "by-name"), nullptr);

    CursorImage image;
    image.width = image.height = 2;
    image.pixels = {1, 2, 3, 4};
    const HCURSOR edge = d.desktop.LoadCursor(kEdgeCursor, &image);
    EXPECT_EQ(edge, d.desktop.LoadCursor(kEdgeCursor, nullptr));
    ASSERT_NE(d.desktop.GetCursorImage(edge), nullptr);
    EXPECT_EQ(d.desktop.GetCursorImage(edge)->pixels, image.pixels);
    EXPECT_EQ(::SetCursor(edge), ::LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(::GetCursor(), edge);
}

TEST(Mouse, LeavingATrackedWindowPostsMouseLeave) {
    MouseDesk d;
    d.desktop.MoveMouse(POINT{150, 150});
    TRACKMOUSEEVENT track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = d.view.m_hWnd;
    ASSERT_TRUE(::TrackMouseEvent(&track));
    d.desktop.MoveMouse(POINT{160, 150});
    EXPECT_EQ(d.view.Count(WM_MOUSELEAVE), 0);
    d.desktop.MoveMouse(POINT{50, 50});
    EXPECT_EQ(d.view.Count(WM_MOUSELEAVE), 1);
    // Reported once per request; asked while outside, it comes at once.
    d.desktop.MoveMouse(POINT{40, 50});
    EXPECT_EQ(d.view.Count(WM_MOUSELEAVE), 1);
    ::TrackMouseEvent(&track);
    d.desktop.PumpMessages();
    EXPECT_EQ(d.view.Count(WM_MOUSELEAVE), 2);
}
