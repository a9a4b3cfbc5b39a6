// Invalidation, erasing and painting.
#include <gtest/gtest.h>

#include "tests/platform/RecordingWindow.h"

namespace {

struct PaintedWindow : FrameAndView<> {
    PaintedWindow() : FrameAndView(RECT{0, 0, 400, 300}, RECT{10, 10, 210, 110}) {}
};

}  // namespace

TEST(Painting, NewVisibleWindowsArePaintedParentFirst) {
    HeadlessDesktop desktop;
    std::vector<std::string> journal;
    RecordingWindow frame, view;
    frame.name = "frame";
    view.name = "view";
    frame.journal = view.journal = &journal;
    ASSERT_TRUE(frame.Make(nullptr, RECT{0, 0, 400, 300}));
    ASSERT_TRUE(view.Make(&frame, RECT{10, 10, 210, 110}));
    EXPECT_EQ(frame.Count(WM_PAINT), 0);
    desktop.PumpMessages();
    EXPECT_EQ(Only(journal, {"PAINT", "ERASE"}),
              (std::vector<std::string>{"frame: WM_PAINT", "frame: WM_ERASEBKGND", "view: WM_PAINT",
                                        "view: WM_ERASEBKGND"}));
}

TEST(Painting, InvalidatingGivesOnePaintWhenPumped) {
    PaintedWindow w;
    w.view.Invalidate(FALSE);
    w.view.Invalidate(FALSE);
    w.view.InvalidateRect(nullptr, FALSE);
    EXPECT_TRUE(w.view.messages.empty());
    w.desktop.PumpMessages();
    EXPECT_EQ(w.view.Log(), std::vector<std::string>{"WM_PAINT"});
    EXPECT_TRUE(w.frame.messages.empty());
    // Painting validated the window: nothing more to do.
    w.desktop.PumpMessages();
    EXPECT_EQ(w.view.Count(WM_PAINT), 1);
    RECT update;
    EXPECT_FALSE(w.view.GetUpdateRect(&update));
}

TEST(Painting, DeliveringMessagesLeavesThePaintForTheNextPump) {
    PaintedWindow w;
    w.view.Invalidate(FALSE);
    w.view.PostMessage(WM_USER + 1, 7, 0);
    w.view.PostMessage(WM_USER + 2, 0, 0);
    ASSERT_TRUE(w.desktop.DeliverMessages());
    EXPECT_EQ(w.view.Count(WM_USER + 1) + w.view.Count(WM_USER + 2), 2);
    EXPECT_EQ(w.view.Count(WM_PAINT), 0);
    RECT update;
    EXPECT_TRUE(w.view.GetUpdateRect(&update));
    w.desktop.PumpMessages();
    EXPECT_EQ(w.view.Count(WM_PAINT), 1);
    // A quit stops the delivery and is told, as by a pump.
    w.view.PostMessage(WM_USER + 3, 0, 0);
    w.desktop.PostQuitMessage(0);
    w.view.PostMessage(WM_USER + 4, 0, 0);
    EXPECT_FALSE(w.desktop.DeliverMessages());
    EXPECT_EQ(w.view.Count(WM_USER + 3), 1);
    EXPECT_EQ(w.view.Count(WM_USER + 4), 0);
}

TEST(Painting, EraseComesInsideThePaintWhenAsked) {
    PaintedWindow w;
    w.view.Invalidate(TRUE);
    w.desktop.PumpMessages();
    EXPECT_EQ(w.view.Log(), (std::vector<std::string>{"WM_PAINT", "WM_ERASEBKGND"}));
    // The handler erased (answered 1): nothing left for the painter to erase.
    EXPECT_FALSE(w.view.lastPaint.fErase);
    w.view.Clear();
    w.view.eraseAnswer = 0;
    w.view.Invalidate(TRUE);
    w.desktop.PumpMessages();
    EXPECT_TRUE(w.view.lastPaint.fErase);
    // Once erase was asked for, a later invalidation without it still erases.
    w.view.Clear();
    w.view.Invalidate(TRUE);
    w.view.Invalidate(FALSE);
    w.desktop.PumpMessages();
    EXPECT_EQ(w.view.Count(WM_ERASEBKGND), 1);
}

TEST(Painting, PaintRectangleIsTheUnionClippedToTheClientArea) {
    PaintedWindow w;
    const RECT a{10, 10, 20, 20};
    const RECT b{150, 50, 400, 400};
    w.view.InvalidateRect(&a, FALSE);
    w.view.InvalidateRect(&b, FALSE);
    RECT update;
    ASSERT_TRUE(w.view.GetUpdateRect(&update));
    EXPECT_EQ(update.left, 10);
    EXPECT_EQ(update.top, 10);
    EXPECT_EQ(update.right, 200);
    EXPECT_EQ(update.bottom, 100);
    // Validating the lower band leaves the upper one.
    const RECT band{0, 40, 200, 100};
    w.view.ValidateRect(&band);
    ASSERT_TRUE(w.view.GetUpdateRect(&update));
    EXPECT_EQ(update.bottom, 40);
    w.desktop.PumpMessages();
    EXPECT_EQ(w.view.lastPaint.rcPaint.top, 10);
    EXPECT_EQ(w.view.lastPaint.rcPaint.bottom, 40);
    // A rectangle wholly outside changes nothing.
    const RECT outside{500, 500, 600, 600};
    w.view.InvalidateRect(&outside, TRUE);
    EXPECT_FALSE(w.view.GetUpdateRect(&update));
}

TEST(Painting, UpdateWindowPaintsAtOnce) {
    PaintedWindow w;
    w.view.UpdateWindow();
    EXPECT_TRUE(w.view.messages.empty());
    w.view.Invalidate(TRUE);
    w.view.UpdateWindow();
    EXPECT_EQ(w.view.Log(), (std::vector<std::string>{"WM_PAINT", "WM_ERASEBKGND"}));
}

TEST(Painting, RedrawWindowWithChildrenAndNow) {
    PaintedWindow w;
    ::RedrawWindow(w.frame.m_hWnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(w.frame.Log(), (std::vector<std::string>{"WM_PAINT", "WM_ERASEBKGND"}));
    EXPECT_EQ(w.view.Log(), (std::vector<std::string>{"WM_PAINT", "WM_ERASEBKGND"}));
    w.frame.Clear();
    w.view.Clear();
    // Without RDW_ALLCHILDREN a parent that clips its children leaves them.
    RecordingWindow clipping, child;
    ASSERT_TRUE(clipping.Make(nullptr, RECT{0, 0, 50, 50}, WS_VISIBLE | WS_CLIPCHILDREN));
    ASSERT_TRUE(child.Make(&clipping, RECT{0, 0, 10, 10}));
    w.desktop.PumpMessages();
    clipping.Clear();
    child.Clear();
    clipping.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(clipping.Count(WM_PAINT), 1);
    EXPECT_EQ(child.Count(WM_PAINT), 0);
    // A rectangle in the parent's coordinates reaches the child where it lies.
    const RECT corner{5, 5, 8, 8};
    clipping.RedrawWindow(&corner, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    RECT update;
    ASSERT_TRUE(child.GetUpdateRect(&update));
    EXPECT_EQ(update.left, 5);
    EXPECT_EQ(update.right, 8);
}

TEST(Painting, HiddenWindowsWaitAndAHandlerThatNeverValidatesDoesNotHang) {
    PaintedWindow w;
    w.frame.ShowWindow(SW_HIDE);
    w.view.Invalidate(FALSE);
    w.desktop.PumpMessages();
    EXPECT_EQ(w.view.Count(WM_PAINT), 0);
    w.frame.ShowWindow(SW_SHOW);
    w.desktop.PumpMessages();
    EXPECT_EQ(w.view.Count(WM_PAINT), 1);

    class Lazy : public CWnd {
      public:
        int paints = 0;
        LRESULT WindowProc(UINT message, WPARAM wp, LPARAM lp) override {
            if (message == WM_PAINT) {
                ++paints;
                return 0;
            }
            return CWnd::WindowProc(message, wp, lp);
        }
        ~Lazy() override { DestroyWindow(); }
    } lazy;
    ASSERT_TRUE(lazy.Create(nullptr, nullptr, WS_VISIBLE, RECT{0, 0, 5, 5}, nullptr, 0));
    w.desktop.PumpMessages();
    EXPECT_EQ(lazy.paints, 1);
    w.desktop.PumpMessages();
    EXPECT_EQ(lazy.paints, 2);
}

TEST(Painting, ResizingInvalidatesWithErase) {
    PaintedWindow w;
    w.view.MoveWindow(10, 10, 150, 150);
    w.desktop.PumpMessages();
    EXPECT_EQ(w.view.Log({WM_SIZE, WM_PAINT, WM_ERASEBKGND}),
              (std::vector<std::string>{"WM_SIZE 150,150", "WM_PAINT", "WM_ERASEBKGND"}));
    w.view.Clear();
    w.view.MoveWindow(10, 10, 160, 160, FALSE);
    w.desktop.PumpMessages();
    EXPECT_EQ(w.view.Count(WM_PAINT), 0);
}
