// A headless window driven like a graph view: created by class name, timers
// on the virtual clock, a drag that leaves the window, the wheel, a command
// through a registered message. The exact sequence of messages is checked.
#include <gtest/gtest.h>

#include "tests/platform/RecordingWindow.h"

namespace {

const UINT kExecute = RegisterWindowMessageA("WM_TEST_SCENARIO_EXECUTE");
constexpr POINT kNoPoint{6666, 6666};

class ScenarioView : public CWnd {
    DECLARE_DYNCREATE(ScenarioView)

  public:
    ~ScenarioView() override { DestroyWindow(); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (journal != nullptr) {
            journal->push_back(Describe({message, wParam, lParam}));
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }

    void StartTimers() {
        SetTimer(0, 100);
        SetTimer(1, 100);
        SetTimer(2, 1000);
    }

    std::vector<std::string>* journal = nullptr;
    POINT scrolled{0, 0};
    int level = 5;
    bool mouseInside = false;

  protected:
    LRESULT OnExecute(WPARAM command, LPARAM) {
        return std::string(reinterpret_cast<const char*>(command)) == "ZOOM" ? 1 : 0;
    }
    void OnPaint() {
        CPaintScope paint(this);
        POINT cursor;
        ::GetCursorPos(&cursor);
        if (CWnd::WindowFromPoint(cursor) == this) {
            mouseInside = true;
        }
    }
    LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return 1; }
    BOOL OnSetCursor(CWnd*, UINT, UINT) {
        ::SetCursor(GetCurrentDesktop()->LoadCursor(329, nullptr));
        return TRUE;
    }
    void OnLButtonDown(UINT, POINT point) {
        SetCapture();
        drag_ = point;
    }
    void OnMouseMove(UINT, POINT point) {
        if (CWnd::GetCapture() != this) {
            drag_ = kNoPoint;
        }
        if (drag_.x != kNoPoint.x && (drag_.x != point.x || drag_.y != point.y)) {
            scrolled.x += drag_.x - point.x;
            scrolled.y += drag_.y - point.y;
            drag_ = point;
        }
        Invalidate(TRUE);
    }
    void OnLButtonUp(UINT, POINT) {
        ::ReleaseCapture();
        drag_ = kNoPoint;
    }
    BOOL OnMouseWheel(UINT, short delta, POINT) {
        level += delta > 0 ? 1 : -1;
        Invalidate(TRUE);
        return TRUE;
    }
    void OnTimer(UINT_PTR id) {
        if (id == 2) {
            POINT cursor;
            ::GetCursorPos(&cursor);
            ScreenToClient(&cursor);
            RECT client;
            GetClientRect(&client);
            if (mouseInside && !::PtInRect(&client, cursor)) {
                Invalidate(TRUE);
                mouseInside = false;
            }
        }
    }
    DECLARE_MESSAGE_MAP()

  private:
    POINT drag_ = kNoPoint;
};

IMPLEMENT_DYNCREATE(ScenarioView, CWnd)

BEGIN_MESSAGE_MAP(ScenarioView, CWnd)
ON_REGISTERED_MESSAGE(kExecute, OnExecute)
ON_WM_PAINT()
ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgnd)
ON_WM_SETCURSOR()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_MOUSEWHEEL()
ON_WM_TIMER()
END_MESSAGE_MAP()

// Gives what the journal got since the last call.
std::vector<std::string> Take(std::vector<std::string>& journal) {
    std::vector<std::string> taken;
    taken.swap(journal);
    return taken;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(Scenario, ViewSeesTheMessagesItExpectsInOrder) {
    HeadlessDesktop desktop;
    std::vector<std::string> journal;  // outlives the view, which writes to it
    RecordingWindow frame;
    ASSERT_TRUE(frame.Make(nullptr, RECT{0, 0, 800, 600}));
    std::unique_ptr<CWnd> made = CreateWindowObject("ScenarioView");
    ASSERT_NE(made, nullptr);
    auto* view = static_cast<ScenarioView*>(made.get());
    view->journal = &journal;
    ASSERT_TRUE(
        view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, RECT{100, 100, 300, 200}, &frame, 0));
    view->StartTimers();
    desktop.PumpMessages();
    EXPECT_EQ(Take(journal), (Lines{"WM_CREATE", "WM_SIZE 200,100", "WM_MOVE 100,100", "WM_PAINT",
                                    "WM_ERASEBKGND"}));

    desktop.MoveMouse(POINT{150, 150});
    EXPECT_EQ(Take(journal), (Lines{"WM_SETCURSOR hit=1 for=0x200", "WM_MOUSEMOVE 50,50 keys=0",
                                    "WM_PAINT", "WM_ERASEBKGND"}));
    EXPECT_EQ(desktop.CurrentCursorId(), 329);
    EXPECT_TRUE(view->mouseInside);

    desktop.PressButton(MouseButton::Left, POINT{150, 150});
    desktop.MoveMouse(POINT{155, 150});
    desktop.MoveMouse(POINT{50, 50});
    desktop.ReleaseButton(MouseButton::Left, POINT{50, 50});
    EXPECT_EQ(Take(journal), (Lines{"WM_SETCURSOR hit=1 for=0x201", "WM_LBUTTONDOWN 50,50 keys=1",
                                    "WM_MOUSEMOVE 55,50 keys=1", "WM_PAINT", "WM_ERASEBKGND",
                                    "WM_MOUSEMOVE -50,-50 keys=1", "WM_PAINT", "WM_ERASEBKGND",
                                    "WM_LBUTTONUP -50,-50 keys=0", "WM_CAPTURECHANGED"}));
    EXPECT_EQ(view->scrolled.x, 100);
    EXPECT_EQ(view->scrolled.y, 100);

    desktop.AdvanceClock(100);
    EXPECT_EQ(Take(journal), (Lines{"WM_TIMER 0", "WM_TIMER 1"}));
    desktop.AdvanceClock(899);
    EXPECT_EQ(Take(journal).size(), 16u);
    // At one second the leave is noticed and the view repaints once.
    desktop.AdvanceClock(1);
    EXPECT_EQ(Take(journal),
              (Lines{"WM_TIMER 0", "WM_TIMER 1", "WM_TIMER 2", "WM_PAINT", "WM_ERASEBKGND"}));
    EXPECT_FALSE(view->mouseInside);

    desktop.TurnWheel(POINT{150, 150}, -WHEEL_DELTA);
    // Input first, then one paint for both invalidations.
    EXPECT_EQ(Take(journal),
              (Lines{"WM_SETCURSOR hit=1 for=0x200", "WM_MOUSEMOVE 50,50 keys=0",
                     "WM_MOUSEWHEEL 150,150 delta=-120 keys=0", "WM_PAINT", "WM_ERASEBKGND"}));
    EXPECT_EQ(view->level, 4);

    EXPECT_EQ(view->SendMessage(kExecute, reinterpret_cast<WPARAM>("ZOOM")), 1);
    EXPECT_EQ(view->SendMessage(kExecute, reinterpret_cast<WPARAM>("OTHER")), 0);
    EXPECT_EQ(Take(journal).size(), 2u);
    // The frame underneath saw none of the view's mouse messages.
    EXPECT_EQ(frame.Count(WM_LBUTTONDOWN) + frame.Count(WM_MOUSEWHEEL), 0);
}
