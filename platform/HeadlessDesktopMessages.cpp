#include "platform/HeadlessDesktop.h"

#include <algorithm>

#include "platform/HeadlessDesktopRecords.h"

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
    item.message = MSG{window, message, wParam, lParam, 0, {}};
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
    item.message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, 0, {}};
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

bool HeadlessDesktop::DeliverNext() {
    QueueItem item;
    {
        std::lock_guard lock(queueMutex_);
        if (queue_.empty()) {
            return false;
        }
        item = queue_.front();
        queue_.pop_front();
    }
    if (!item.input && item.message.message == WM_QUIT && item.message.hwnd == nullptr) {
        quit_ = true;
    } else {
        Dispatch(item);
    }
    return true;
}

bool HeadlessDesktop::DeliverMessages() {
    while (!quit_ && DeliverNext()) {
    }
    return !quit_;
}

bool HeadlessDesktop::PumpMessages() {
    std::unordered_set<HWND> leftInvalid;
    while (!quit_) {
        if (DeliverNext()) {
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
    const std::uint64_t target = now_.load() + milliseconds;
    PumpMessages();
    while (Timer* timer = NextDueTimer(target)) {
        now_.store(std::max(now_.load(), timer->due));
        timer->due = now_.load() + timer->period;
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
    now_.store(target);
    PumpMessages();
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
    timers_.push_back(Timer{window, id, period, now_.load() + period, timerSequence_++, procedure});
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
    return static_cast<DWORD>(startTicks_ + now_.load());
}
