#pragma once
// The desktop: what Windows' window manager does for the module, behind one
// interface, so that a headless, deterministic desktop drives the tests and a
// real one (windows on a screen) drives the reference host. It owns the
// windows, the message queue, the timers, the monitors, the cursor and the
// clock. The free functions of platform/WinUser.h and the framework window
// (platform/CWnd.h) act on the current desktop.
//
// Windows here have no frame: a window's rectangle and its client area
// coincide. Coordinates of a child window are in its parent's client area,
// those of a top-level window in screen coordinates. All calls belong to the
// user-interface thread, except PostMessage, which any thread may call.
#include <cstdint>
#include <vector>

#include "platform/PixelPages.h"
#include "platform/WinTypes.h"
#include "platform/WinUser.h"

// A cursor picture: 0xAARRGGBB pixels (straight alpha), top-down rows.
struct CursorImage {
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    std::vector<std::uint32_t> pixels;
};

// The pixels of a window's client area: 32-bit 0x00RRGGBB values (the top
// byte is not shown, as in an X8R8G8B8 surface), top-down rows of `stride`
// bytes. Valid until the window is resized or destroyed; null pixels when the
// window has none (it does not exist, or its client area is empty).
struct WindowSurface {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

class Desktop {
  public:
    virtual ~Desktop() = default;

    // Windows. CreateWindowHandle sends WM_CREATE (lParam: the CREATESTRUCTA)
    // and, when it succeeds, WM_SIZE; null when the parent is not a window or
    // WM_CREATE answered -1 (the window is destroyed again).
    virtual HWND CreateWindowHandle(WNDPROC procedure, const CREATESTRUCTA& create) = 0;
    virtual bool DestroyWindow(HWND window) = 0;
    virtual bool IsWindow(HWND window) const = 0;
    virtual HWND GetParent(HWND window) const = 0;
    // Children in z order, bottom first.
    virtual std::vector<HWND> GetChildren(HWND window) const = 0;
    // Top-level windows in z order, bottom first.
    virtual std::vector<HWND> GetTopLevelWindows() const = 0;
    // The window that covers all monitors; it receives no messages.
    virtual HWND GetDesktopWindow() const = 0;
    virtual bool GetWindowRect(HWND window, RECT* screenRect) const = 0;
    virtual bool GetClientRect(HWND window, RECT* rect) const = 0;
    virtual bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                              UINT flags) = 0;
    virtual bool ShowWindow(HWND window, int command) = 0;
    // Visible with all its ancestors.
    virtual bool IsWindowVisible(HWND window) const = 0;
    virtual bool ClientToScreen(HWND window, POINT* point) const = 0;
    virtual bool ScreenToClient(HWND window, POINT* point) const = 0;
    // The deepest visible window under a screen point, null when none.
    virtual HWND WindowFromPoint(POINT screenPoint) const = 0;

    // Messages.
    virtual LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // What Windows' default window procedure does with a message.
    virtual LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual void PostQuitMessage(int exitCode) = 0;
    // Dispatches posted messages, input and paints until nothing is left.
    // False once a quit message was taken from the queue.
    virtual bool PumpMessages() = 0;
    // Lets `milliseconds` pass on the desktop's clock, firing due timers in
    // order and pumping messages after each.
    virtual void Idle(DWORD milliseconds) = 0;

    // Painting.
    virtual bool InvalidateRect(HWND window, const RECT* rect, bool erase) = 0;
    virtual bool ValidateRect(HWND window, const RECT* rect) = 0;
    virtual bool GetUpdateRect(HWND window, RECT* rect) const = 0;
    virtual bool RedrawWindow(HWND window, const RECT* update, UINT flags) = 0;
    virtual bool UpdateWindow(HWND window) = 0;
    virtual bool BeginPaint(HWND window, PAINTSTRUCT* paint) = 0;
    virtual bool EndPaint(HWND window, const PAINTSTRUCT* paint) = 0;

    // Timers and clock.
    virtual UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) = 0;
    virtual bool KillTimer(HWND window, UINT_PTR id) = 0;
    // Milliseconds, wrapping at 2^32 (what GetTickCount returns).
    virtual DWORD GetTickCount() const = 0;

    // Mouse and cursor.
    virtual HWND SetCapture(HWND window) = 0;
    virtual bool ReleaseCapture() = 0;
    virtual HWND GetCapture() const = 0;
    virtual POINT GetCursorPos() const = 0;
    virtual bool TrackMouseEvent(TRACKMOUSEEVENT* track) = 0;
    // The cursor of a resource id, the same handle for the same id. An image
    // given (the module's own cursor resources) is kept for that id.
    virtual HCURSOR LoadCursor(int resourceId, const CursorImage* image) = 0;
    // Returns the previous cursor.
    virtual HCURSOR SetCursor(HCURSOR cursor) = 0;
    virtual HCURSOR GetCursor() const = 0;
    // The resource id of a cursor, 0 for null or unknown.
    virtual int GetCursorResourceId(HCURSOR cursor) const = 0;
    // Null when no image was given for the cursor.
    virtual const CursorImage* GetCursorImage(HCURSOR cursor) const = 0;

    // Monitors: the first is the primary one.
    virtual std::vector<HMONITOR> GetMonitors() const = 0;
    virtual HMONITOR MonitorFromPoint(POINT point, DWORD flags) const = 0;
    // The monitor that contains the centre of the window's rectangle; when
    // none does, what `flags` asks for (null, primary or nearest).
    virtual HMONITOR MonitorFromWindow(HWND window, DWORD flags) const = 0;
    virtual bool GetMonitorInfo(HMONITOR monitor, MONITORINFO* info) const = 0;

    // Window contents. Copies the source rectangle of a 0x00RRGGBB image of
    // width x height pixels (rows of `stride` bytes) into the destination
    // rectangle of the window's client area, scaling when the sizes differ.
    // Null rectangles mean the whole source and the whole client area; the
    // destination is clipped to the client area. False when the window does
    // not exist, the image is null or its stride shorter than a row, either
    // rectangle is empty, or the source rectangle is not inside the image.
    // The window's own surface (GetWindowSurface), drawn in place, is shown
    // by presenting it whole onto the whole window.
    virtual bool PresentToWindow(HWND window, const std::uint32_t* pixels, int width, int height,
                                 int stride, const RECT* source, const RECT* destination) = 0;
    virtual WindowSurface GetWindowSurface(HWND window) = 0;
    // Shows a frame of exactly the window's client size by exchanging the
    // pixels for those the window held: the caller gets the window's former
    // contents back. False, with nothing exchanged, where the window does not
    // hold pixels of that size (a desktop that keeps none never does); the
    // caller then presents a copy.
    virtual bool FlipToWindow(HWND /*window*/, PixelPages& /*pixels*/, int /*width*/,
                              int /*height*/) {
        return false;
    }
};

// The desktop that the Windows functions use; null when there is none. The
// caller keeps ownership.
Desktop* GetCurrentDesktop();
void SetCurrentDesktop(Desktop* desktop);

// The id under which the standard arrow cursor (IDC_ARROW) is known.
constexpr int kArrowCursorId = 32512;
