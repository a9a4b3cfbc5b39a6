// Creating, placing, sizing and destroying windows, parents and children,
// and creation by run-time class name.
#include <gtest/gtest.h>

#include "tests/platform/RecordingWindow.h"

namespace {

// A class that can be made by name, and one that is no window.
class NameMadeWindow : public CWnd {
    DECLARE_DYNCREATE(NameMadeWindow)
};
IMPLEMENT_DYNCREATE(NameMadeWindow, CWnd)

class NotAWindow : public CObject {
    DECLARE_DYNCREATE(NotAWindow)
};
IMPLEMENT_DYNCREATE(NotAWindow, CObject)

}  // namespace

TEST(WindowTree, CreationSendsCreateThenSize) {
    HeadlessDesktop desktop;
    RecordingWindow window;
    ASSERT_TRUE(window.Make(nullptr, RECT{10, 20, 110, 70}));
    EXPECT_EQ(window.Log(),
              (std::vector<std::string>{"WM_CREATE", "WM_SIZE 100,50", "WM_MOVE 10,20"}));
    EXPECT_EQ(CWnd::FromHandle(window.m_hWnd), &window);
    RECT client;
    window.GetClientRect(&client);
    EXPECT_EQ(client.right, 100);
    EXPECT_EQ(client.bottom, 50);
    // A second Create on the same object fails.
    EXPECT_FALSE(window.Make(nullptr, RECT{0, 0, 1, 1}));
}

TEST(WindowTree, CreateAnswerMinusOneFailsCreation) {
    HeadlessDesktop desktop;
    class Refusing : public CWnd {
        LRESULT WindowProc(UINT message, WPARAM w, LPARAM l) override {
            return message == WM_CREATE ? -1 : CWnd::WindowProc(message, w, l);
        }
    } window;
    EXPECT_FALSE(window.Create(nullptr, nullptr, WS_VISIBLE, RECT{0, 0, 5, 5}, nullptr, 0));
    EXPECT_EQ(window.m_hWnd, nullptr);
    EXPECT_TRUE(desktop.GetTopLevelWindows().empty());
}

TEST(WindowTree, ChildCoordinatesAndWindowFromPoint) {
    HeadlessDesktop desktop;
    RecordingWindow frame, view, hidden;
    ASSERT_TRUE(frame.Make(nullptr, RECT{100, 50, 500, 350}));
    ASSERT_TRUE(view.Make(&frame, RECT{20, 30, 220, 130}));
    ASSERT_TRUE(hidden.Make(&view, RECT{0, 0, 50, 50}, 0));
    EXPECT_EQ(view.GetParent(), &frame);
    EXPECT_EQ(desktop.GetChildren(frame.m_hWnd), std::vector<HWND>{view.m_hWnd});

    RECT screen;
    view.GetWindowRect(&screen);
    EXPECT_EQ(screen.left, 120);
    EXPECT_EQ(screen.top, 80);
    EXPECT_EQ(screen.right, 320);
    POINT p{5, -5};
    view.ClientToScreen(&p);
    EXPECT_EQ(p.x, 125);
    EXPECT_EQ(p.y, 75);
    frame.ScreenToClient(&p);
    EXPECT_EQ(p.x, 25);
    EXPECT_EQ(p.y, 25);

    // The deepest visible window; the hidden child is looked through.
    EXPECT_EQ(::WindowFromPoint(POINT{125, 85}), view.m_hWnd);
    EXPECT_EQ(CWnd::WindowFromPoint(POINT{105, 55}), &frame);
    EXPECT_EQ(::WindowFromPoint(POINT{99, 55}), nullptr);
    // Right and bottom edges are outside.
    EXPECT_EQ(::WindowFromPoint(POINT{320, 85}), frame.m_hWnd);
    hidden.ShowWindow(SW_SHOW);
    EXPECT_EQ(::WindowFromPoint(POINT{125, 85}), hidden.m_hWnd);
    frame.ShowWindow(SW_HIDE);
    EXPECT_FALSE(view.IsWindowVisible());
    EXPECT_EQ(::WindowFromPoint(POINT{125, 85}), nullptr);
}

TEST(WindowTree, ResizingSendsSizeWithTheNewClientSize) {
    HeadlessDesktop desktop;
    RecordingWindow frame, view;
    ASSERT_TRUE(frame.Make(nullptr, RECT{0, 0, 800, 600}));
    ASSERT_TRUE(view.Make(&frame, RECT{0, 0, 100, 100}));
    view.Clear();
    view.MoveWindow(10, 10, 300, 200);
    EXPECT_EQ(view.Log({WM_SIZE, WM_MOVE}),
              (std::vector<std::string>{"WM_MOVE 10,10", "WM_SIZE 300,200"}));
    view.Clear();
    view.SetWindowPos(nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(view.Log({WM_SIZE, WM_MOVE}), (std::vector<std::string>{"WM_SIZE 10,10"}));
    view.Clear();
    // Same size again: nothing to say.
    view.MoveWindow(10, 10, 10, 10);
    EXPECT_TRUE(view.messages.empty());
    RECT client;
    view.GetClientRect(&client);
    EXPECT_EQ(client.right, 10);
    EXPECT_EQ(client.bottom, 10);
    // A negative size is an empty window.
    view.MoveWindow(10, 10, -5, 20);
    view.GetClientRect(&client);
    EXPECT_EQ(client.right, 0);
}

TEST(WindowTree, ZOrderDecidesWhichSiblingIsHit) {
    HeadlessDesktop desktop;
    RecordingWindow frame, lower, upper;
    ASSERT_TRUE(frame.Make(nullptr, RECT{0, 0, 100, 100}));
    ASSERT_TRUE(lower.Make(&frame, RECT{0, 0, 50, 50}));
    ASSERT_TRUE(upper.Make(&frame, RECT{0, 0, 50, 50}));
    EXPECT_EQ(::WindowFromPoint(POINT{1, 1}), upper.m_hWnd);
    lower.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(::WindowFromPoint(POINT{1, 1}), lower.m_hWnd);
    ::SetWindowPos(lower.m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(::WindowFromPoint(POINT{1, 1}), upper.m_hWnd);
}

TEST(WindowTree, DestroyGoesParentFirstThenChildrenFinishFirst) {
    HeadlessDesktop desktop;
    std::vector<std::string> journal;
    RecordingWindow frame, view, inner;
    frame.name = "frame";
    view.name = "view";
    inner.name = "inner";
    for (RecordingWindow* w : {&frame, &view, &inner}) {
        w->journal = &journal;
    }
    ASSERT_TRUE(frame.Make(nullptr, RECT{0, 0, 100, 100}));
    ASSERT_TRUE(view.Make(&frame, RECT{0, 0, 50, 50}));
    ASSERT_TRUE(inner.Make(&view, RECT{0, 0, 10, 10}));
    inner.SetTimer(1, 10);
    inner.SetCapture();
    EXPECT_TRUE(frame.DestroyWindow());
    EXPECT_EQ(Only(journal, {"DESTROY"}),
              (std::vector<std::string>{"frame: WM_DESTROY", "view: WM_DESTROY",
                                        "inner: WM_DESTROY", "inner: WM_NCDESTROY",
                                        "view: WM_NCDESTROY", "frame: WM_NCDESTROY"}));
    EXPECT_EQ(inner.m_hWnd, nullptr);
    EXPECT_EQ(view.m_hWnd, nullptr);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(inner.Count(WM_CAPTURECHANGED), 1);
    EXPECT_TRUE(desktop.GetTopLevelWindows().empty());
    EXPECT_FALSE(frame.DestroyWindow());
}

TEST(WindowTree, NoNewChildForAWindowBeingDestroyed) {
    HeadlessDesktop desktop;
    class Spawning : public RecordingWindow {
      public:
        RecordingWindow late;
        bool made = true;
        LRESULT WindowProc(UINT message, WPARAM w, LPARAM l) override {
            if (message == WM_DESTROY) {
                made = late.Make(this, RECT{0, 0, 5, 5});
            }
            return RecordingWindow::WindowProc(message, w, l);
        }
    } parent;
    ASSERT_TRUE(parent.Make(nullptr, RECT{0, 0, 50, 50}));
    EXPECT_TRUE(parent.DestroyWindow());
    EXPECT_FALSE(parent.made);
    EXPECT_TRUE(desktop.GetTopLevelWindows().empty());
}

TEST(WindowTree, CreationByRunTimeClassName) {
    HeadlessDesktop desktop;
    std::unique_ptr<CWnd> made = CreateWindowObject("NameMadeWindow");
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_STREQ(made->GetRuntimeClass()->m_lpszClassName, "NameMadeWindow");
    EXPECT_TRUE(made->Create(nullptr, nullptr, WS_VISIBLE, RECT{0, 0, 10, 10}, nullptr, 0));

    EXPECT_EQ(CreateWindowObject("NoSuchView"), nullptr);
    EXPECT_EQ(CreateWindowObject(nullptr), nullptr);
    // Known and creatable, but not a window.
    EXPECT_EQ(CreateWindowObject("NotAWindow"), nullptr);
    std::unique_ptr<CObject> object(CRuntimeClass::CreateObject("NotAWindow"));
    EXPECT_NE(object, nullptr);
    EXPECT_FALSE(object->IsKindOf(RUNTIME_CLASS(CWnd)));
    // Known but not creatable.
    EXPECT_EQ(CRuntimeClass::CreateObject("CObject"), nullptr);
}
