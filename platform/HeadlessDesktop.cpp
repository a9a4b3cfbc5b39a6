#include "platform/HeadlessDesktop.h"

#include <algorithm>
#include <limits>

#include "platform/TickCount.h"

namespace {

// A client buffer larger than this many pixels is not made: presenting into
// such a window fails instead of exhausting memory.
constexpr std::int64_t kMaxWindowPixels = std::int64_t{1} << 26;

constexpr std::uintptr_t kFirstHandle = 0x10000;
constexpr std::uintptr_t kFirstCursor = 0x20000;

HMONITOR MonitorHandle(size_t index) {
    return reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(index + 1));
}

std::int64_t DistanceSquared(const RECT& r, POINT p) {
    const std::int64_t dx = p.x < r.left ? r.left - p.x : (p.x >= r.right ? p.x - r.right + 1 : 0);
    const std::int64_t dy = p.y < r.top ? r.top - p.y : (p.y >= r.bottom ? p.y - r.bottom + 1 : 0);
    return dx * dx + dy * dy;
}

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

// The bounding rectangle of what is left of `update` once `removed` is taken
// out; unchanged when the cut leaves no smaller rectangle.
RECT Subtract(const RECT& update, const RECT& removed) {
    RECT common;
    if (!IntersectRect(&common, &update, &removed)) {
        return update;
    }
    if (EqualRect(&common, &update)) {
        return RECT{};
    }
    RECT rest = update;
    const bool fullWidth = common.left == update.left && common.right == update.right;
    const bool fullHeight = common.top == update.top && common.bottom == update.bottom;
    if (fullWidth && common.top == update.top) {
        rest.top = common.bottom;
    } else if (fullWidth && common.bottom == update.bottom) {
        rest.bottom = common.top;
    } else if (fullHeight && common.left == update.left) {
        rest.left = common.right;
    } else if (fullHeight && common.right == update.right) {
        rest.right = common.left;
    }
    return rest;
}

}  // namespace

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
    std::vector<std::uint32_t> pixels;  // lazily made, client size
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
    if ((create.hwndParent != nullptr && parent == nullptr) || (child && parent == nullptr)) {
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
        auto& siblings = Siblings(*w);
        std::erase(siblings, window);
        if (insertAfter == HWND_TOP) {
            siblings.push_back(window);
        } else if (insertAfter == HWND_BOTTOM) {
            siblings.insert(siblings.begin(), window);
        } else {
            // Below insertAfter, or on top when it is no sibling.
            auto it = std::find(siblings.begin(), siblings.end(), insertAfter);
            siblings.insert(it, window);
        }
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

bool HeadlessDesktop::ClientToScreen(HWND window, POINT* point) const {
    const Window* w = Find(window);
    if (w == nullptr || point == nullptr) {
        return false;
    }
    const POINT origin = ScreenOrigin(*w);
    point->x += origin.x;
    point->y += origin.y;
    return true;
}

bool HeadlessDesktop::ScreenToClient(HWND window, POINT* point) const {
    const Window* w = Find(window);
    if (w == nullptr || point == nullptr) {
        return false;
    }
    const POINT origin = ScreenOrigin(*w);
    point->x -= origin.x;
    point->y -= origin.y;
    return true;
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

// ---- Messages ----

LRESULT HeadlessDesktop::SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const Window* w = Find(window);
    if (w == nullptr) {
        return 0;
    }
    const WNDPROC procedure = w->procedure;
    return procedure ? procedure(window, message, wParam, lParam)
                     : DefWindowProc(window, message, wParam, lParam);
}

bool HeadlessDesktop::PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard lock(queueMutex_);
    if (window != nullptr && live_.count(window) == 0) {
        return false;
    }
    QueueItem item;
    item.message = MSG{window, message, wParam, lParam, GetTickCount(), cursorPos_};
    queue_.push_back(item);
    return true;
}

LRESULT HeadlessDesktop::DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(window)) {
        return 0;
    }
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_SETCURSOR: {
            // The parent has the first say; a window sets the arrow only for
            // itself, not for a child asking through it.
            const HWND parent = GetParent(window);
            if (parent != nullptr && SendMessage(parent, WM_SETCURSOR, wParam, lParam)) {
                return TRUE;
            }
            if (reinterpret_cast<HWND>(wParam) == window && LOWORD(lParam) == HTCLIENT) {
                SetCursor(LoadCursor(kArrowCursorId, nullptr));
                return TRUE;
            }
            return FALSE;
        }
        case WM_MOUSEWHEEL: {
            const HWND parent = GetParent(window);
            return parent ? SendMessage(parent, message, wParam, lParam) : 0;
        }
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        default:
            return 0;
    }
}

void HeadlessDesktop::PostQuitMessage(int exitCode) {
    std::lock_guard lock(queueMutex_);
    QueueItem item;
    item.message =
        MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, GetTickCount(), cursorPos_};
    queue_.push_back(item);
}

void HeadlessDesktop::Dispatch(const QueueItem& item) {
    if (item.input) {
        ProcessInput(item);
    } else if (item.message.hwnd != nullptr) {
        SendMessage(item.message.hwnd, item.message.message, item.message.wParam,
                    item.message.lParam);
    }
}

bool HeadlessDesktop::PumpMessages() {
    std::unordered_set<HWND> leftInvalid;
    while (!quit_) {
        QueueItem item;
        bool have = false;
        {
            std::lock_guard lock(queueMutex_);
            if (!queue_.empty()) {
                item = queue_.front();
                queue_.pop_front();
                have = true;
            }
        }
        if (have) {
            if (!item.input && item.message.message == WM_QUIT && item.message.hwnd == nullptr) {
                quit_ = true;
            } else {
                Dispatch(item);
            }
            continue;
        }
        const HWND paint = NextToPaint(leftInvalid);
        if (paint == nullptr) {
            break;
        }
        SendMessage(paint, WM_PAINT, 0, 0);
        if (const Window* w = Find(paint); w != nullptr && !IsRectEmpty(&w->update)) {
            leftInvalid.insert(paint);
        }
    }
    return !quit_;
}

void HeadlessDesktop::Idle(DWORD milliseconds) {
    const std::uint64_t target = now_ + milliseconds;
    PumpMessages();
    while (Timer* timer = NextDueTimer(target)) {
        now_ = std::max(now_, timer->due);
        timer->due = now_ + timer->period;
        const HWND window = timer->window;
        const UINT_PTR id = timer->id;
        const TIMERPROC procedure = timer->procedure;
        if (procedure != nullptr) {
            procedure(window, WM_TIMER, id, GetTickCount());
        } else {
            SendMessage(window, WM_TIMER, id, 0);
        }
        PumpMessages();
    }
    now_ = target;
    PumpMessages();
}

// ---- Painting ----

bool HeadlessDesktop::Invalidate(Window& window, const RECT* rect, bool erase) {
    const RECT client = ClientRect(window);
    RECT area = client;
    if (rect != nullptr && !IntersectRect(&area, rect, &client)) {
        return true;
    }
    if (IsRectEmpty(&area)) {
        return true;
    }
    UnionRect(&window.update, &window.update, &area);
    window.erasePending = window.erasePending || erase;
    return true;
}

bool HeadlessDesktop::InvalidateRect(HWND window, const RECT* rect, bool erase) {
    Window* w = Find(window);
    return w != nullptr && Invalidate(*w, rect, erase);
}

bool HeadlessDesktop::ValidateRect(HWND window, const RECT* rect) {
    Window* w = Find(window);
    if (w == nullptr) {
        return false;
    }
    w->update = rect ? Subtract(w->update, *rect) : RECT{};
    if (IsRectEmpty(&w->update)) {
        w->update = RECT{};
        w->erasePending = false;
        w->eraseUnhandled = false;
    }
    return true;
}

bool HeadlessDesktop::GetUpdateRect(HWND window, RECT* rect) const {
    const Window* w = Find(window);
    if (w == nullptr) {
        return false;
    }
    if (rect != nullptr) {
        *rect = w->update;
    }
    return !IsRectEmpty(&w->update);
}

// Without RDW_ALLCHILDREN or RDW_NOCHILDREN, children take part unless their
// parent clips them (WS_CLIPCHILDREN), as on Windows.
void HeadlessDesktop::CollectForRedraw(HWND window, UINT flags, std::vector<HWND>& out) const {
    const Window* w = Find(window);
    if (w == nullptr) {
        return;
    }
    out.push_back(window);
    const bool children = (flags & RDW_ALLCHILDREN) != 0 ||
                          ((flags & RDW_NOCHILDREN) == 0 && (w->style & WS_CLIPCHILDREN) == 0);
    if (!children) {
        return;
    }
    for (HWND child : w->children) {
        CollectForRedraw(child, flags, out);
    }
}

bool HeadlessDesktop::RedrawWindow(HWND window, const RECT* update, UINT flags) {
    const Window* target = Find(window);
    if (target == nullptr) {
        return false;
    }
    std::vector<HWND> affected;
    CollectForRedraw(window, flags, affected);
    const POINT origin = ScreenOrigin(*target);
    for (HWND handle : affected) {
        Window* w = Find(handle);
        RECT area;
        const RECT* part = nullptr;
        if (update != nullptr) {
            // The rectangle is in the target's client coordinates.
            const POINT own = ScreenOrigin(*w);
            area = *update;
            OffsetRect(&area, origin.x - own.x, origin.y - own.y);
            part = &area;
        }
        if (flags & RDW_INVALIDATE) {
            Invalidate(*w, part, (flags & RDW_ERASE) != 0);
        } else if (flags & RDW_VALIDATE) {
            ValidateRect(handle, part);
        }
        if (flags & RDW_NOERASE) {
            w->erasePending = false;
        }
    }
    for (HWND handle : affected) {
        if (flags & RDW_UPDATENOW) {
            UpdateWindow(handle);
        } else if (flags & RDW_ERASENOW) {
            SendEraseIfPending(handle);
        }
    }
    return true;
}

void HeadlessDesktop::SendEraseIfPending(HWND window) {
    Window* w = Find(window);
    if (w == nullptr || !w->erasePending) {
        return;
    }
    w->erasePending = false;
    const bool erased = SendMessage(window, WM_ERASEBKGND, 0, 0) != 0;
    if (Window* after = Find(window)) {
        after->eraseUnhandled = !erased;
    }
}

bool HeadlessDesktop::UpdateWindow(HWND window) {
    const Window* w = Find(window);
    if (w == nullptr) {
        return false;
    }
    if (IsWindowVisible(window) && !IsRectEmpty(&w->update)) {
        SendMessage(window, WM_PAINT, 0, 0);
    }
    return true;
}

bool HeadlessDesktop::BeginPaint(HWND window, PAINTSTRUCT* paint) {
    if (Find(window) == nullptr || paint == nullptr) {
        return false;
    }
    SendEraseIfPending(window);
    Window* w = Find(window);
    if (w == nullptr) {
        return false;
    }
    *paint = PAINTSTRUCT{};
    paint->rcPaint = w->update;
    paint->fErase = w->eraseUnhandled ? TRUE : FALSE;
    ValidateRect(window, nullptr);
    return true;
}

bool HeadlessDesktop::EndPaint(HWND window, const PAINTSTRUCT* /*paint*/) {
    return IsWindow(window);
}

HWND HeadlessDesktop::NextToPaint(const std::unordered_set<HWND>& skip) const {
    // Depth first, bottom to top, so that a parent paints before its children.
    std::vector<HWND> pending(topLevel_.rbegin(), topLevel_.rend());
    while (!pending.empty()) {
        const HWND handle = pending.back();
        pending.pop_back();
        const Window* w = Find(handle);
        if (w == nullptr || !w->visible) {
            continue;
        }
        if (!IsRectEmpty(&w->update) && skip.count(handle) == 0) {
            return handle;
        }
        pending.insert(pending.end(), w->children.rbegin(), w->children.rend());
    }
    return nullptr;
}

// ---- Timers ----

UINT_PTR HeadlessDesktop::SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
    if (window != nullptr && !IsWindow(window)) {
        return 0;
    }
    if (window == nullptr) {
        // A timer without a window only makes sense with a procedure; Windows
        // picks its id.
        if (procedure == nullptr) {
            return 0;
        }
        id = nextThreadTimer_++;
    }
    const UINT period =
        std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, static_cast<UINT>(USER_TIMER_MAXIMUM));
    std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == id; });
    timers_.push_back(Timer{window, id, period, now_ + period, timerSequence_++, procedure});
    // Windows answers a window timer with a non-zero value, even for id 0.
    return id != 0 ? id : 1;
}

bool HeadlessDesktop::KillTimer(HWND window, UINT_PTR id) {
    const auto removed =
        std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == id; });
    return removed > 0;
}

HeadlessDesktop::Timer* HeadlessDesktop::NextDueTimer(std::uint64_t limit) {
    Timer* next = nullptr;
    for (Timer& t : timers_) {
        if (t.due > limit) {
            continue;
        }
        if (next == nullptr || t.due < next->due ||
            (t.due == next->due && t.sequence < next->sequence)) {
            next = &t;
        }
    }
    return next;
}

DWORD HeadlessDesktop::GetTickCount() const {
    return static_cast<DWORD>(startTicks_ + now_);
}

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

// ---- Window contents ----

// Called before the rectangle changes. The old contents stay where they were;
// what is new is black.
void HeadlessDesktop::Resize(Window& window, int width, int height) {
    if (window.pixels.empty()) {
        return;
    }
    const int oldWidth = window.Width();
    const int oldHeight = window.Height();
    std::vector<std::uint32_t> old = std::move(window.pixels);
    window.pixels.clear();
    const std::int64_t count = std::int64_t{width} * height;
    if (count <= 0 || count > kMaxWindowPixels) {
        return;
    }
    window.pixels.assign(static_cast<size_t>(count), 0);
    const int keepWidth = std::min(width, oldWidth);
    for (int y = 0; y < std::min(height, oldHeight); ++y) {
        std::copy_n(old.begin() + static_cast<std::ptrdiff_t>(y) * oldWidth, keepWidth,
                    window.pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
}

std::uint32_t* HeadlessDesktop::EnsurePixels(Window& window) {
    const std::int64_t count = std::int64_t{window.Width()} * window.Height();
    if (count <= 0 || count > kMaxWindowPixels) {
        return nullptr;
    }
    if (window.pixels.size() != static_cast<size_t>(count)) {
        window.pixels.assign(static_cast<size_t>(count), 0);
    }
    return window.pixels.data();
}

bool HeadlessDesktop::PresentToWindow(HWND window, const std::uint32_t* pixels, int width,
                                      int height, int stride, const RECT* source,
                                      const RECT* destination) {
    Window* w = Find(window);
    if (w == nullptr || pixels == nullptr || width <= 0 || height <= 0 || stride < width * 4) {
        return false;
    }
    const RECT sourceRect = source ? *source : RECT{0, 0, width, height};
    if (IsRectEmpty(&sourceRect) || sourceRect.left < 0 || sourceRect.top < 0 ||
        sourceRect.right > width || sourceRect.bottom > height) {
        return false;
    }
    const RECT destinationRect = destination ? *destination : ClientRect(*w);
    if (IsRectEmpty(&destinationRect)) {
        return false;
    }
    if (w->Width() > 0 && w->Height() > 0) {
        std::uint32_t* target = EnsurePixels(*w);
        if (target == nullptr) {
            return false;
        }
        CopyScaled(pixels, stride, sourceRect, target, w->Width() * 4, w->Width(), w->Height(),
                   destinationRect);
    }
    ++w->presentCount;
    return true;
}

WindowSurface HeadlessDesktop::GetWindowSurface(HWND window) {
    Window* w = Find(window);
    if (w == nullptr) {
        return {};
    }
    std::uint32_t* pixels = EnsurePixels(*w);
    if (pixels == nullptr) {
        return {};
    }
    return WindowSurface{pixels, w->Width(), w->Height(), w->Width() * 4};
}

void HeadlessDesktop::Compose(HWND window, PixelImage& image, int offsetX, int offsetY) const {
    const Window* w = Find(window);
    if (w == nullptr) {
        return;
    }
    if (!w->pixels.empty()) {
        CopyScaled(w->pixels.data(), w->Width() * 4, ClientRect(*w), image.pixels.data(),
                   image.width * 4, image.width, image.height,
                   RECT{offsetX, offsetY, offsetX + w->Width(), offsetY + w->Height()});
    }
    for (HWND child : w->children) {
        const Window* c = Find(child);
        if (c != nullptr && c->visible) {
            Compose(child, image, offsetX + c->rect.left, offsetY + c->rect.top);
        }
    }
}

PixelImage HeadlessDesktop::CaptureWindow(HWND window) const {
    const Window* w = Find(window);
    if (w == nullptr || w->Width() <= 0 || w->Height() <= 0 ||
        std::int64_t{w->Width()} * w->Height() > kMaxWindowPixels) {
        return {};
    }
    PixelImage image(w->Width(), w->Height());
    Compose(window, image, 0, 0);
    return image;
}

bool HeadlessDesktop::SaveWindowPng(HWND window, const std::string& path) const {
    return SavePng(CaptureWindow(window), path);
}

int HeadlessDesktop::PresentCount(HWND window) const {
    const Window* w = Find(window);
    return w ? w->presentCount : 0;
}
