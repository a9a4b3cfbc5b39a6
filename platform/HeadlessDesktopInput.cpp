#include <algorithm>
#include <limits>

#include "platform/HeadlessDesktop.h"
#include "platform/HeadlessDesktopRecords.h"

namespace {

constexpr std::uintptr_t kFirstCursor = 0x20000;

UINT ButtonFlag(MouseButton button) {
    switch (button) {
        case MouseButton::Left:
            return MK_LBUTTON;
        case MouseButton::Right:
            return MK_RBUTTON;
        case MouseButton::Middle:
            return MK_MBUTTON;
    }
    return 0;
}

UINT ButtonMessage(MouseButton button, bool down) {
    switch (button) {
        case MouseButton::Left:
            return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        case MouseButton::Right:
            return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        case MouseButton::Middle:
            return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    }
    return WM_NULL;
}

HMONITOR MonitorHandle(size_t index) {
    return reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(index + 1));
}

std::int64_t DistanceSquared(const RECT& r, POINT p) {
    const std::int64_t dx = p.x < r.left ? r.left - p.x : (p.x >= r.right ? p.x - r.right + 1 : 0);
    const std::int64_t dy = p.y < r.top ? r.top - p.y : (p.y >= r.bottom ? p.y - r.bottom + 1 : 0);
    return dx * dx + dy * dy;
}

}  // namespace

// ---- Mouse and cursor ----

HWND HeadlessDesktop::SetCapture(HWND window) {
    const HWND previous = capture_;
    if (!IsWindow(window)) {
        return previous;
    }
    capture_ = window;
    if (previous != nullptr && previous != window) {
        SendMessage(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    }
    return previous;
}

bool HeadlessDesktop::ReleaseCapture() {
    const HWND previous = capture_;
    capture_ = nullptr;
    if (previous != nullptr) {
        SendMessage(previous, WM_CAPTURECHANGED, 0, 0);
    }
    return true;
}

HWND HeadlessDesktop::GetCapture() const {
    return capture_;
}

POINT HeadlessDesktop::GetCursorPos() const {
    return cursorPos_;
}

bool HeadlessDesktop::TrackMouseEvent(TRACKMOUSEEVENT* track) {
    if (track == nullptr || track->cbSize < sizeof(TRACKMOUSEEVENT)) {
        return false;
    }
    Window* w = Find(track->hwndTrack);
    if (w == nullptr) {
        return false;
    }
    if ((track->dwFlags & TME_LEAVE) == 0) {
        return true;
    }
    if (track->dwFlags & TME_CANCEL) {
        w->trackLeave = false;
        return true;
    }
    w->trackLeave = true;
    // Asked while the mouse is elsewhere: the leave is reported at once.
    CheckMouseLeave();
    return true;
}

HCURSOR HeadlessDesktop::LoadCursor(int resourceId, const CursorImage* image) {
    auto [it, inserted] = cursors_.try_emplace(resourceId);
    Cursor& cursor = it->second;
    if (inserted) {
        cursor.handle = reinterpret_cast<HCURSOR>(kFirstCursor + cursors_.size());
    }
    if (image != nullptr) {
        cursor.image = *image;
        cursor.hasImage = true;
    }
    return cursor.handle;
}

HCURSOR HeadlessDesktop::SetCursor(HCURSOR cursor) {
    const HCURSOR previous = cursor_;
    cursor_ = cursor;
    return previous;
}

HCURSOR HeadlessDesktop::GetCursor() const {
    return cursor_;
}

int HeadlessDesktop::GetCursorResourceId(HCURSOR cursor) const {
    for (const auto& [id, c] : cursors_) {
        if (cursor != nullptr && c.handle == cursor) {
            return id;
        }
    }
    return 0;
}

const CursorImage* HeadlessDesktop::GetCursorImage(HCURSOR cursor) const {
    for (const auto& [id, c] : cursors_) {
        if (cursor != nullptr && c.handle == cursor) {
            return c.hasImage ? &c.image : nullptr;
        }
    }
    return nullptr;
}

void HeadlessDesktop::QueueMouse(InputKind kind, MouseButton button, POINT screenPoint, int delta) {
    QueueItem item;
    item.input = true;
    item.kind = kind;
    item.button = button;
    item.point = screenPoint;
    item.delta = delta;
    std::lock_guard lock(queueMutex_);
    queue_.push_back(item);
}

void HeadlessDesktop::ProcessInput(const QueueItem& item) {
    const bool moved = item.point.x != cursorPos_.x || item.point.y != cursorPos_.y;
    cursorPos_ = item.point;
    switch (item.kind) {
        case InputKind::Move:
            if (moved) {
                DeliverMouse(WM_MOUSEMOVE);
            }
            break;
        case InputKind::Down:
            buttons_ |= ButtonFlag(item.button);
            DeliverMouse(ButtonMessage(item.button, true));
            break;
        case InputKind::Up:
            buttons_ &= ~ButtonFlag(item.button);
            DeliverMouse(ButtonMessage(item.button, false));
            break;
        case InputKind::Wheel: {
            const HWND target = capture_ ? capture_ : WindowFromPoint(cursorPos_);
            const int delta = std::clamp(item.delta, int{std::numeric_limits<SHORT>::min()},
                                         int{std::numeric_limits<SHORT>::max()});
            SendMessage(target, WM_MOUSEWHEEL,
                        MAKEWPARAM(static_cast<int>(buttons_ | modifiers_), delta),
                        MAKELPARAM(cursorPos_.x, cursorPos_.y));
            break;
        }
    }
    CheckMouseLeave();
}

void HeadlessDesktop::DeliverMouse(UINT message) {
    HWND target = capture_;
    if (target == nullptr) {
        target = WindowFromPoint(cursorPos_);
        if (target == nullptr) {
            // Over no window: the desktop shows its arrow.
            SetCursor(LoadCursor(kArrowCursorId, nullptr));
            return;
        }
        SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                    MAKELPARAM(HTCLIENT, static_cast<int>(message)));
    }
    POINT client = cursorPos_;
    if (!ScreenToClient(target, &client)) {
        return;
    }
    SendMessage(target, message, buttons_ | modifiers_, MAKELPARAM(client.x, client.y));
}

void HeadlessDesktop::CheckMouseLeave() {
    const HWND under = WindowFromPoint(cursorPos_);
    std::vector<HWND> left;
    for (auto& [handle, w] : windows_) {
        if (w->trackLeave && handle != under) {
            w->trackLeave = false;
            left.push_back(handle);
        }
    }
    // Handles grow with creation: this keeps the order independent of hashing.
    std::sort(left.begin(), left.end());
    for (HWND handle : left) {
        PostMessage(handle, WM_MOUSELEAVE, 0, 0);
    }
}

void HeadlessDesktop::MoveMouse(POINT screenPoint) {
    QueueMouse(InputKind::Move, MouseButton::Left, screenPoint);
    PumpMessages();
}

void HeadlessDesktop::PressButton(MouseButton button, POINT screenPoint) {
    QueueMouse(InputKind::Move, button, screenPoint);
    QueueMouse(InputKind::Down, button, screenPoint);
    PumpMessages();
}

void HeadlessDesktop::ReleaseButton(MouseButton button, POINT screenPoint) {
    QueueMouse(InputKind::Move, button, screenPoint);
    QueueMouse(InputKind::Up, button, screenPoint);
    PumpMessages();
}

void HeadlessDesktop::TurnWheel(POINT screenPoint, int delta) {
    QueueMouse(InputKind::Move, MouseButton::Left, screenPoint);
    QueueMouse(InputKind::Wheel, MouseButton::Left, screenPoint, delta);
    PumpMessages();
}

void HeadlessDesktop::SetModifierKeys(UINT keys) {
    modifiers_ = keys & (MK_SHIFT | MK_CONTROL);
}
// ---- Monitors ----

bool HeadlessDesktop::SetMonitors(std::vector<RECT> monitors) {
    if (monitors.empty() || std::any_of(monitors.begin(), monitors.end(),
                                        [](const RECT& r) { return IsRectEmpty(&r); })) {
        return false;
    }
    monitors_ = std::move(monitors);
    return true;
}

std::vector<HMONITOR> HeadlessDesktop::GetMonitors() const {
    std::vector<HMONITOR> handles;
    for (size_t i = 0; i < monitors_.size(); ++i) {
        handles.push_back(MonitorHandle(i));
    }
    return handles;
}

HMONITOR HeadlessDesktop::MonitorFromPoint(POINT point, DWORD flags) const {
    size_t nearest = 0;
    std::int64_t best = std::numeric_limits<std::int64_t>::max();
    for (size_t i = 0; i < monitors_.size(); ++i) {
        if (PtInRect(&monitors_[i], point)) {
            return MonitorHandle(i);
        }
        const std::int64_t d = DistanceSquared(monitors_[i], point);
        if (d < best) {
            best = d;
            nearest = i;
        }
    }
    switch (flags) {
        case MONITOR_DEFAULTTOPRIMARY:
            return MonitorHandle(0);
        case MONITOR_DEFAULTTONEAREST:
            return MonitorHandle(nearest);
        default:
            return nullptr;
    }
}

HMONITOR HeadlessDesktop::MonitorFromWindow(HWND window, DWORD flags) const {
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return nullptr;
    }
    // Floor division keeps the centre inside for negative coordinates.
    const auto middle = [](LONG a, LONG b) {
        const std::int64_t sum = std::int64_t{a} + b;
        return static_cast<LONG>(sum >= 0 ? sum / 2 : (sum - 1) / 2);
    };
    return MonitorFromPoint(POINT{middle(rect.left, rect.right), middle(rect.top, rect.bottom)},
                            flags);
}

bool HeadlessDesktop::GetMonitorInfo(HMONITOR monitor, MONITORINFO* info) const {
    const auto index = reinterpret_cast<std::uintptr_t>(monitor);
    if (info == nullptr || info->cbSize < sizeof(MONITORINFO) || index == 0 ||
        index > monitors_.size()) {
        return false;
    }
    info->rcMonitor = monitors_[index - 1];
    info->rcWork = monitors_[index - 1];
    info->dwFlags = index == 1 ? MONITORINFOF_PRIMARY : 0;
    return true;
}
