// Message numbers, parameter packing, registered messages and the way a
// message reaches a window procedure or the default one.
#include <gtest/gtest.h>

#include "tests/platform/RecordingWindow.h"

TEST(WindowMessages, ClientPointsPackAsSigned16BitPairs) {
    const LPARAM packed = MAKELPARAM(-5, 300);
    EXPECT_EQ(GET_X_LPARAM(packed), -5);
    EXPECT_EQ(GET_Y_LPARAM(packed), 300);
    EXPECT_EQ(LOWORD(packed), 0xFFFB);
    EXPECT_EQ(HIWORD(packed), 300);
    // The 32-bit value is zero-extended, as on 64-bit Windows.
    EXPECT_EQ(MAKELPARAM(0, -1), LPARAM{0xFFFF0000});
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(MAKEWPARAM(MK_LBUTTON, -WHEEL_DELTA)), -120);
    EXPECT_EQ(GET_KEYSTATE_WPARAM(MAKEWPARAM(MK_LBUTTON | MK_SHIFT, 240)), MK_LBUTTON | MK_SHIFT);
}

TEST(WindowMessages, OneNameGivesOneRegisteredNumber) {
    const UINT first = RegisterWindowMessageA("WM_TEST_WINDOW_ONE");
    EXPECT_GE(first, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage("WM_TEST_WINDOW_ONE"), first);
    EXPECT_NE(RegisterWindowMessageA("WM_TEST_WINDOW_TWO"), first);
}

TEST(WindowMessages, UnhandledMessageReachesDefaultProcedureUnchanged) {
    HeadlessDesktop desktop;
    RecordingWindow window;
    ASSERT_TRUE(window.Make(nullptr, RECT{0, 0, 100, 100}));
    window.Clear();
    const UINT unregistered = 0xC000 + 0x3FFF;
    window.SendMessage(unregistered, 0x1234, -77);
    window.SendMessage(WM_USER + 5, 9, 10);
    ASSERT_EQ(window.defaults.size(), 2u);
    EXPECT_EQ(window.defaults[0].message, unregistered);
    EXPECT_EQ(window.defaults[0].wParam, 0x1234u);
    EXPECT_EQ(window.defaults[0].lParam, -77);
    EXPECT_EQ(window.defaults[1].message, UINT{WM_USER + 5});
}

TEST(WindowMessages, PostedMessagesArriveInOrderWhenPumped) {
    HeadlessDesktop desktop;
    RecordingWindow window;
    ASSERT_TRUE(window.Make(nullptr, RECT{0, 0, 10, 10}));
    desktop.PumpMessages();
    window.Clear();
    EXPECT_TRUE(window.PostMessage(WM_USER + 1));
    EXPECT_TRUE(::PostMessageA(window.m_hWnd, WM_USER + 2, 0, 0));
    EXPECT_EQ(window.Count(WM_USER + 1), 0);
    EXPECT_TRUE(desktop.PumpMessages());
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[0].message, UINT{WM_USER + 1});
    EXPECT_EQ(window.messages[1].message, UINT{WM_USER + 2});
}

TEST(WindowMessages, MessagesToGoneWindowsFail) {
    HeadlessDesktop desktop;
    HWND gone = nullptr;
    {
        RecordingWindow window;
        ASSERT_TRUE(window.Make(nullptr, RECT{0, 0, 10, 10}));
        gone = window.m_hWnd;
        // Still queued when the window goes: dropped, not delivered.
        window.PostMessage(WM_USER);
    }
    EXPECT_FALSE(::IsWindow(gone));
    EXPECT_FALSE(::PostMessageA(gone, WM_USER, 0, 0));
    EXPECT_EQ(::SendMessageA(gone, WM_USER, 0, 0), 0);
    EXPECT_TRUE(desktop.PumpMessages());
}

TEST(WindowMessages, QuitEndsPumping) {
    HeadlessDesktop desktop;
    EXPECT_TRUE(desktop.PumpMessages());
    ::PostQuitMessage(3);
    EXPECT_FALSE(desktop.PumpMessages());
}

TEST(WindowMessages, WithoutDesktopEverythingFails) {
    ASSERT_EQ(GetCurrentDesktop(), nullptr);
    RecordingWindow window;
    EXPECT_FALSE(window.Make(nullptr, RECT{0, 0, 10, 10}));
    POINT p;
    EXPECT_FALSE(::GetCursorPos(&p));
    EXPECT_EQ(::SetTimer(nullptr, 1, 10, nullptr), 0u);
}
