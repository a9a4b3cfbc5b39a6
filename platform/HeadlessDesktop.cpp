#include "platform/HeadlessDesktop.h"

#include <algorithm>

#include "platform/HeadlessDesktopRecords.h"
#include "platform/TickCount.h"

namespace {

constexpr std::uintptr_t kFirstHandle = 0x10000;

}  // namespace

HeadlessDesktop::HeadlessDesktop(std::vector<RECT> monitors, DWORD startTicks)
    : nextHandle_(kFirstHandle),
      desktopWindow_(reinterpret_cast<HWND>(nextHandle_++)),
      startTicks_(startTicks),
      previous_(GetCurrentDesktop()) {
    if (monitors.empty() || !SetMonitors(std::move(monitors))) {
        monitors_ = {RECT{0, 0, 1920, 1080}};
    }
    cursor_ = LoadCursor(kArrowCursorId, nullptr);
    SetCurrentDesktop(this);
    SetTickCountSource([this] { return GetTickCount(); });
}

HeadlessDesktop::~HeadlessDesktop() {
    while (!topLevel_.empty()) {
        const HWND last = topLevel_.back();
        if (!DestroyWindow(last)) {
            topLevel_.pop_back();
        }
    }
    if (GetCurrentDesktop() == this) {
        SetCurrentDesktop(previous_);
        if (previous_ != nullptr) {
            Desktop* previous = previous_;
            SetTickCountSource([previous] { return previous->GetTickCount(); });
        } else {
            SetTickCountSource({});
        }
    }
}
// ---- Windows ----

HeadlessDesktop::Window* HeadlessDesktop::Find(HWND window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second.get();
}

std::vector<HWND>& HeadlessDesktop::Siblings(const Window& window) {
    return window.parent ? Find(window.parent)->children : topLevel_;
}

POINT HeadlessDesktop::ScreenOrigin(const Window& window) const {
    POINT origin{window.rect.left, window.rect.top};
    for (const Window* w = Find(window.parent); w != nullptr; w = Find(w->parent)) {
        origin.x += w->rect.left;
        origin.y += w->rect.top;
    }
    return origin;
}

RECT HeadlessDesktop::ClientRect(const Window& window) const {
    return RECT{0, 0, window.Width(), window.Height()};
}

HWND HeadlessDesktop::CreateWindowHandle(WNDPROC procedure, const CREATESTRUCTA& create) {
    Window* parent = Find(create.hwndParent);
    const bool child = (static_cast<DWORD>(create.style) & WS_CHILD) != 0;
    // No new child for a window on its way out: it would outlive its parent.
    if ((create.hwndParent != nullptr && (parent == nullptr || parent->destroying)) ||
        (child && parent == nullptr)) {
        return nullptr;
    }
    auto window = std::make_unique<Window>();
    const HWND handle = reinterpret_cast<HWND>(nextHandle_++);
    window->handle = handle;
    window->procedure = procedure;
    window->parent = create.hwndParent;
    window->rect = RECT{create.x, create.y, create.x + std::max(create.cx, 0),
                        create.y + std::max(create.cy, 0)};
    window->style = static_cast<DWORD>(create.style);
    window->visible = (window->style & WS_VISIBLE) != 0;
    Siblings(*window).push_back(handle);
    windows_.emplace(handle, std::move(window));
    {
        std::lock_guard lock(queueMutex_);
        live_.insert(handle);
    }

    CREATESTRUCTA copy = create;
    if (SendMessage(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&copy)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    Window* made = Find(handle);
    if (made == nullptr) {
        return nullptr;
    }
    const int width = made->Width();
    const int height = made->Height();
    const RECT rect = made->rect;
    SendMessage(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    SendMessage(handle, WM_MOVE, 0, MAKELPARAM(rect.left, rect.top));
    if (Window* shown = Find(handle); shown != nullptr && shown->visible) {
        Invalidate(*shown, nullptr, true);
    }
    return IsWindow(handle) ? handle : nullptr;
}

bool HeadlessDesktop::DestroyWindow(HWND window) {
    Window* w = Find(window);
    if (w == nullptr || w->destroying) {
        return false;
    }
    DestroyTree(window);
    return true;
}

// WM_DESTROY goes to a window before its children, WM_NCDESTROY after them.
void HeadlessDesktop::DestroyTree(HWND window) {
    Window* w = Find(window);
    w->destroying = true;
    if (capture_ == window) {
        capture_ = nullptr;
        SendMessage(window, WM_CAPTURECHANGED, 0, 0);
    }
    SendMessage(window, WM_DESTROY, 0, 0);
    const std::vector<HWND> children = Find(window)->children;
    for (HWND child : children) {
        if (Window* c = Find(child); c != nullptr && !c->destroying) {
            DestroyTree(child);
        }
    }
    SendMessage(window, WM_NCDESTROY, 0, 0);

    w = Find(window);
    std::erase_if(timers_, [window](const Timer& t) { return t.window == window; });
    if (capture_ == window) {
        capture_ = nullptr;
    }
    auto& siblings = Siblings(*w);
    std::erase(siblings, window);
    {
        std::lock_guard lock(queueMutex_);
        live_.erase(window);
        std::erase_if(queue_, [window](const QueueItem& item) {
            return !item.input && item.message.hwnd == window;
        });
    }
    windows_.erase(window);
}

bool HeadlessDesktop::IsWindow(HWND window) const {
    return Find(window) != nullptr;
}

HWND HeadlessDesktop::GetParent(HWND window) const {
    const Window* w = Find(window);
    return w ? w->parent : nullptr;
}

std::vector<HWND> HeadlessDesktop::GetChildren(HWND window) const {
    const Window* w = Find(window);
    return w ? w->children : std::vector<HWND>{};
}

std::vector<HWND> HeadlessDesktop::GetTopLevelWindows() const {
    return topLevel_;
}

HWND HeadlessDesktop::GetDesktopWindow() const {
    return desktopWindow_;
}

bool HeadlessDesktop::GetWindowRect(HWND window, RECT* screenRect) const {
    if (screenRect == nullptr) {
        return false;
    }
    if (window == desktopWindow_) {
        *screenRect = monitors_.front();
        for (const RECT& m : monitors_) {
            UnionRect(screenRect, screenRect, &m);
        }
        return true;
    }
    const Window* w = Find(window);
    if (w == nullptr) {
        return false;
    }
    const POINT origin = ScreenOrigin(*w);
    *screenRect = RECT{origin.x, origin.y, origin.x + w->Width(), origin.y + w->Height()};
    return true;
}

bool HeadlessDesktop::GetClientRect(HWND window, RECT* rect) const {
    if (rect == nullptr) {
        return false;
    }
    if (window == desktopWindow_) {
        RECT screen;
        GetWindowRect(window, &screen);
        *rect = RECT{0, 0, screen.right - screen.left, screen.bottom - screen.top};
        return true;
    }
    const Window* w = Find(window);
    if (w == nullptr) {
        return false;
    }
    *rect = ClientRect(*w);
    return true;
}

void HeadlessDesktop::Restack(const Window& window, HWND insertAfter) {
    auto& siblings = Siblings(window);
    std::erase(siblings, window.handle);
    if (insertAfter == HWND_TOP) {
        siblings.push_back(window.handle);
    } else if (insertAfter == HWND_BOTTOM) {
        siblings.insert(siblings.begin(), window.handle);
    } else {
        // Below insertAfter, or on top when it is no sibling.
        auto it = std::find(siblings.begin(), siblings.end(), insertAfter);
        siblings.insert(it, window.handle);
    }
}

bool HeadlessDesktop::SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                                   UINT flags) {
    Window* w = Find(window);
    if (w == nullptr) {
        return false;
    }
    const RECT old = w->rect;
    RECT next = old;
    if ((flags & SWP_NOMOVE) == 0) {
        OffsetRect(&next, x - old.left, y - old.top);
    }
    if ((flags & SWP_NOSIZE) == 0) {
        next.right = next.left + std::max(cx, 0);
        next.bottom = next.top + std::max(cy, 0);
    }
    if ((flags & SWP_NOZORDER) == 0) {
        Restack(*w, insertAfter);
    }
    const bool wasVisible = w->visible;
    if (flags & SWP_SHOWWINDOW) {
        w->visible = true;
    } else if (flags & SWP_HIDEWINDOW) {
        w->visible = false;
    }
    const bool moved = next.left != old.left || next.top != old.top;
    const bool sized = (next.right - next.left) != (old.right - old.left) ||
                       (next.bottom - next.top) != (old.bottom - old.top);
    if (sized) {
        Resize(*w, next.right - next.left, next.bottom - next.top);
    }
    w->rect = next;
    if (sized) {
        const RECT client = ClientRect(*w);
        if (!IntersectRect(&w->update, &w->update, &client)) {
            w->erasePending = false;
        }
    }
    if (moved) {
        SendMessage(window, WM_MOVE, 0, MAKELPARAM(next.left, next.top));
    }
    if (sized) {
        SendMessage(window, WM_SIZE, SIZE_RESTORED,
                    MAKELPARAM(next.right - next.left, next.bottom - next.top));
    }
    w = Find(window);
    if (w != nullptr && w->visible && (flags & SWP_NOREDRAW) == 0 && (sized || !wasVisible)) {
        Invalidate(*w, nullptr, true);
    }
    return true;
}

bool HeadlessDesktop::ShowWindow(HWND window, int command) {
    Window* w = Find(window);
    if (w == nullptr) {
        return false;
    }
    const bool wasVisible = w->visible;
    const bool show = command != SW_HIDE;
    if (show == wasVisible) {
        return wasVisible;
    }
    w->visible = show;
    SendMessage(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (Window* shown = Find(window); shown != nullptr && show) {
        Invalidate(*shown, nullptr, true);
    }
    return wasVisible;
}

bool HeadlessDesktop::IsWindowVisible(HWND window) const {
    const Window* w = Find(window);
    if (w == nullptr) {
        return false;
    }
    for (; w != nullptr; w = Find(w->parent)) {
        if (!w->visible) {
            return false;
        }
    }
    return true;
}

bool HeadlessDesktop::ShiftByOrigin(HWND window, POINT* point, int sign) const {
    const Window* w = Find(window);
    if (w == nullptr || point == nullptr) {
        return false;
    }
    const POINT origin = ScreenOrigin(*w);
    point->x += sign * origin.x;
    point->y += sign * origin.y;
    return true;
}

bool HeadlessDesktop::ClientToScreen(HWND window, POINT* point) const {
    return ShiftByOrigin(window, point, 1);
}

bool HeadlessDesktop::ScreenToClient(HWND window, POINT* point) const {
    return ShiftByOrigin(window, point, -1);
}

HWND HeadlessDesktop::Deepest(const std::vector<HWND>& windows, POINT screenPoint) const {
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        const Window* w = Find(*it);
        if (w == nullptr || !w->visible) {
            continue;
        }
        RECT screen;
        GetWindowRect(*it, &screen);
        if (PtInRect(&screen, screenPoint)) {
            const HWND child = Deepest(w->children, screenPoint);
            return child ? child : *it;
        }
    }
    return nullptr;
}

HWND HeadlessDesktop::WindowFromPoint(POINT screenPoint) const {
    return Deepest(topLevel_, screenPoint);
}
