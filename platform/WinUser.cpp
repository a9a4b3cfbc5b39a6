#include "platform/WinUser.h"

#include <algorithm>

#include "platform/Desktop.h"

namespace {

// Runs `call` on the current desktop, or gives `failure` without one.
template <typename Result, typename Call>
Result OnDesktop(Result failure, Call call) {
    Desktop* desktop = GetCurrentDesktop();
    return desktop ? static_cast<Result>(call(*desktop)) : failure;
}

}  // namespace

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom) {
    if (rect == nullptr) {
        return FALSE;
    }
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(RECT* rect) {
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL IsRectEmpty(const RECT* rect) {
    return rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top;
}

BOOL PtInRect(const RECT* rect, POINT point) {
    return rect != nullptr && point.x >= rect->left && point.x < rect->right &&
           point.y >= rect->top && point.y < rect->bottom;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
    return a != nullptr && b != nullptr && a->left == b->left && a->top == b->top &&
           a->right == b->right && a->bottom == b->bottom;
}

BOOL OffsetRect(RECT* rect, int dx, int dy) {
    if (rect == nullptr) {
        return FALSE;
    }
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL IntersectRect(RECT* result, const RECT* a, const RECT* b) {
    if (result == nullptr || a == nullptr || b == nullptr) {
        return FALSE;
    }
    const RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
                 std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        SetRectEmpty(result);
        return FALSE;
    }
    *result = r;
    return TRUE;
}

BOOL UnionRect(RECT* result, const RECT* a, const RECT* b) {
    if (result == nullptr || a == nullptr || b == nullptr) {
        return FALSE;
    }
    if (IsRectEmpty(a) && IsRectEmpty(b)) {
        SetRectEmpty(result);
        return FALSE;
    }
    if (IsRectEmpty(a)) {
        *result = *b;
    } else if (IsRectEmpty(b)) {
        *result = *a;
    } else {
        *result = RECT{std::min(a->left, b->left), std::min(a->top, b->top),
                       std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
    }
    return TRUE;
}

BOOL IsWindow(HWND window) {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.IsWindow(window); });
}

BOOL DestroyWindow(HWND window) {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.DestroyWindow(window); });
}

HWND GetParent(HWND window) {
    return OnDesktop(HWND{}, [&](Desktop& d) { return d.GetParent(window); });
}

HWND GetDesktopWindow() {
    return OnDesktop(HWND{}, [&](Desktop& d) { return d.GetDesktopWindow(); });
}

BOOL GetClientRect(HWND window, RECT* rect) {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.GetClientRect(window, rect); });
}

BOOL GetWindowRect(HWND window, RECT* rect) {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.GetWindowRect(window, rect); });
}

BOOL ClientToScreen(HWND window, POINT* point) {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.ClientToScreen(window, point); });
}

BOOL ScreenToClient(HWND window, POINT* point) {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.ScreenToClient(window, point); });
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW);
    return SetWindowPos(window, nullptr, x, y, width, height, flags);
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return OnDesktop(FALSE, [&](Desktop& d) {
        return d.SetWindowPos(window, insertAfter, x, y, cx, cy, flags);
    });
}

BOOL ShowWindow(HWND window, int command) {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.ShowWindow(window, command); });
}

BOOL IsWindowVisible(HWND window) {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.IsWindowVisible(window); });
}

HWND WindowFromPoint(POINT screenPoint) {
    return OnDesktop(HWND{}, [&](Desktop& d) { return d.WindowFromPoint(screenPoint); });
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return OnDesktop(LRESULT{0},
                     [&](Desktop& d) { return d.SendMessage(window, message, wParam, lParam); });
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return OnDesktop(FALSE,
                     [&](Desktop& d) { return d.PostMessage(window, message, wParam, lParam); });
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return OnDesktop(LRESULT{0},
                     [&](Desktop& d) { return d.DefWindowProc(window, message, wParam, lParam); });
}

void PostQuitMessage(int exitCode) {
    if (Desktop* desktop = GetCurrentDesktop()) {
        desktop->PostQuitMessage(exitCode);
    }
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    return OnDesktop(FALSE,
                     [&](Desktop& d) { return d.InvalidateRect(window, rect, erase != FALSE); });
}

BOOL ValidateRect(HWND window, const RECT* rect) {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.ValidateRect(window, rect); });
}

BOOL GetUpdateRect(HWND window, RECT* rect, BOOL erase) {
    return OnDesktop(FALSE, [&](Desktop& d) {
        const bool pending = d.GetUpdateRect(window, rect);
        // Asking for the erase here sends it at once, as Windows does.
        if (pending && erase) {
            d.RedrawWindow(window, nullptr, RDW_ERASENOW | RDW_NOCHILDREN);
        }
        return pending;
    });
}

BOOL RedrawWindow(HWND window, const RECT* update, HRGN /*region*/, UINT flags) {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.RedrawWindow(window, update, flags); });
}

BOOL UpdateWindow(HWND window) {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.UpdateWindow(window); });
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
    return OnDesktop(UINT_PTR{0},
                     [&](Desktop& d) { return d.SetTimer(window, id, elapse, procedure); });
}

BOOL KillTimer(HWND window, UINT_PTR id) {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.KillTimer(window, id); });
}

HWND SetCapture(HWND window) {
    return OnDesktop(HWND{}, [&](Desktop& d) { return d.SetCapture(window); });
}

BOOL ReleaseCapture() {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.ReleaseCapture(); });
}

HWND GetCapture() {
    return OnDesktop(HWND{}, [&](Desktop& d) { return d.GetCapture(); });
}

BOOL GetCursorPos(POINT* point) {
    if (point == nullptr) {
        return FALSE;
    }
    return OnDesktop(FALSE, [&](Desktop& d) {
        *point = d.GetCursorPos();
        return true;
    });
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.TrackMouseEvent(track); });
}

HCURSOR LoadCursorA(HINSTANCE /*instance*/, const char* name) {
    if (name == nullptr || !IS_INTRESOURCE(name)) {
        return nullptr;
    }
    const int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
    return OnDesktop(HCURSOR{}, [&](Desktop& d) { return d.LoadCursor(id, nullptr); });
}

HCURSOR SetCursor(HCURSOR cursor) {
    return OnDesktop(HCURSOR{}, [&](Desktop& d) { return d.SetCursor(cursor); });
}

HCURSOR GetCursor() {
    return OnDesktop(HCURSOR{}, [&](Desktop& d) { return d.GetCursor(); });
}

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
    return OnDesktop(HMONITOR{}, [&](Desktop& d) { return d.MonitorFromPoint(point, flags); });
}

HMONITOR MonitorFromWindow(HWND window, DWORD flags) {
    return OnDesktop(HMONITOR{}, [&](Desktop& d) { return d.MonitorFromWindow(window, flags); });
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) {
    return OnDesktop(FALSE, [&](Desktop& d) { return d.GetMonitorInfo(monitor, info); });
}
