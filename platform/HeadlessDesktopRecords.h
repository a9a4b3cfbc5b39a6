#pragma once
// The records behind the headless desktop, shared by its source files only.
#include <cstdint>
#include <vector>

#include "platform/HeadlessDesktop.h"
#include "platform/PixelPages.h"

// A client buffer larger than this many pixels is not made: presenting into
// such a window fails instead of exhausting memory.
constexpr std::int64_t kMaxWindowPixels = std::int64_t{1} << 26;

struct HeadlessDesktop::Window {
    HWND handle = nullptr;
    WNDPROC procedure = nullptr;
    HWND parent = nullptr;
    std::vector<HWND> children;  // z order, bottom first
    RECT rect;                   // parent's client coordinates (screen for top level)
    DWORD style = 0;
    bool visible = false;
    bool destroying = false;
    RECT update;                  // empty: nothing to paint
    bool erasePending = false;    // WM_ERASEBKGND still to be sent
    bool eraseUnhandled = false;  // sent, but no handler erased
    bool trackLeave = false;
    PixelPages pixels;  // lazily made, client size
    int presentCount = 0;

    int Width() const { return rect.right - rect.left; }
    int Height() const { return rect.bottom - rect.top; }
};

struct HeadlessDesktop::Timer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT period = 0;
    std::uint64_t due = 0;
    std::uint64_t sequence = 0;
    TIMERPROC procedure = nullptr;
};

struct HeadlessDesktop::QueueItem {
    bool input = false;
    MSG message;
    InputKind kind = InputKind::Move;
    MouseButton button = MouseButton::Left;
    POINT point;
    int delta = 0;
};

struct HeadlessDesktop::Cursor {
    HCURSOR handle = nullptr;
    bool hasImage = false;
    CursorImage image;
};
