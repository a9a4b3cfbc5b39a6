#include "platform/CWnd.h"

#include <unordered_map>

#include "platform/Desktop.h"

namespace {

// Window handle to object, for the window procedure. User-interface thread
// only, like the windows themselves.
std::unordered_map<HWND, CWnd*>& HandleMap() {
    static std::unordered_map<HWND, CWnd*> map;
    return map;
}

// The object whose Create is under way: its window's first message attaches
// it, before CreateWindowHandle has returned the handle.
CWnd* windowBeingCreated = nullptr;

}  // namespace

LRESULT FrameworkWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* window = CWnd::FromHandle(hwnd);
    if (window == nullptr && windowBeingCreated != nullptr) {
        window = windowBeingCreated;
        windowBeingCreated = nullptr;
        window->Attach(hwnd);
    }
    if (window == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    const LRESULT result = window->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY && window->m_hWnd == hwnd) {
        window->Detach();
        window->PostNcDestroy();
    }
    return result;
}

IMPLEMENT_DYNCREATE(CWnd, CObject)

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (m_hWnd != nullptr) {
        ::DestroyWindow(m_hWnd);
        // Without a desktop nothing detached the handle.
        Detach();
    }
    if (windowBeingCreated == this) {
        windowBeingCreated = nullptr;
    }
}

CWnd* CWnd::FromHandle(HWND window) {
    if (window == nullptr) {
        return nullptr;
    }
    const auto& map = HandleMap();
    auto it = map.find(window);
    return it == map.end() ? nullptr : it->second;
}

void CWnd::Attach(HWND window) {
    m_hWnd = window;
    HandleMap()[window] = this;
}

void CWnd::Detach() {
    if (m_hWnd != nullptr) {
        auto& map = HandleMap();
        auto it = map.find(m_hWnd);
        if (it != map.end() && it->second == this) {
            map.erase(it);
        }
        m_hWnd = nullptr;
    }
}

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT /*id*/, CCreateContext* context) {
    Desktop* desktop = GetCurrentDesktop();
    if (desktop == nullptr || m_hWnd != nullptr) {
        return FALSE;
    }
    CREATESTRUCTA create;
    create.lpCreateParams = context;
    create.hwndParent = parent ? parent->m_hWnd : nullptr;
    create.x = rect.left;
    create.y = rect.top;
    create.cx = rect.right - rect.left;
    create.cy = rect.bottom - rect.top;
    create.style = static_cast<LONG>(style);
    create.lpszName = windowName;
    create.lpszClass = className;
    CWnd* outer = windowBeingCreated;
    windowBeingCreated = this;
    const HWND hwnd = desktop->CreateWindowHandle(&FrameworkWindowProc, create);
    windowBeingCreated = outer;
    return hwnd != nullptr && m_hWnd == hwnd;
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

CWnd* CWnd::GetParent() const {
    return FromHandle(::GetParent(m_hWnd));
}

BOOL CWnd::ShowWindow(int command) {
    return ::ShowWindow(m_hWnd, command);
}

BOOL CWnd::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd);
}

void CWnd::GetClientRect(RECT* rect) const {
    ::GetClientRect(m_hWnd, rect);
}

void CWnd::GetWindowRect(RECT* screenRect) const {
    ::GetWindowRect(m_hWnd, screenRect);
}

void CWnd::ClientToScreen(POINT* point) const {
    ::ClientToScreen(m_hWnd, point);
}

namespace {

// Moves a rectangle by the screen position of a window's client area, times sign.
void ShiftByClientOrigin(HWND window, RECT* rect, int sign) {
    POINT origin{0, 0};
    if (rect != nullptr && ::ClientToScreen(window, &origin)) {
        ::OffsetRect(rect, sign * origin.x, sign * origin.y);
    }
}

}  // namespace

void CWnd::ClientToScreen(RECT* rect) const {
    ShiftByClientOrigin(m_hWnd, rect, 1);
}

void CWnd::ScreenToClient(POINT* point) const {
    ::ScreenToClient(m_hWnd, point);
}

void CWnd::ScreenToClient(RECT* rect) const {
    ShiftByClientOrigin(m_hWnd, rect, -1);
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

void CWnd::MoveWindow(const RECT& rect, BOOL repaint) {
    MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : HWND_TOP, x, y, cx, cy,
                          flags);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::Invalidate(BOOL erase) {
    ::InvalidateRect(m_hWnd, nullptr, erase);
}

void CWnd::InvalidateRect(const RECT* rect, BOOL erase) {
    ::InvalidateRect(m_hWnd, rect, erase);
}

void CWnd::ValidateRect(const RECT* rect) {
    ::ValidateRect(m_hWnd, rect);
}

BOOL CWnd::RedrawWindow(const RECT* update, HRGN region, UINT flags) {
    return ::RedrawWindow(m_hWnd, update, region, flags);
}

void CWnd::UpdateWindow() {
    ::UpdateWindow(m_hWnd);
}

BOOL CWnd::GetUpdateRect(RECT* rect, BOOL erase) {
    return ::GetUpdateRect(m_hWnd, rect, erase);
}

BOOL CWnd::BeginPaint(PAINTSTRUCT* paint) {
    Desktop* desktop = GetCurrentDesktop();
    return desktop != nullptr && desktop->BeginPaint(m_hWnd, paint);
}

void CWnd::EndPaint(const PAINTSTRUCT* paint) {
    if (Desktop* desktop = GetCurrentDesktop()) {
        desktop->EndPaint(m_hWnd, paint);
    }
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC procedure) {
    return ::SetTimer(m_hWnd, id, elapse, procedure);
}

BOOL CWnd::KillTimer(UINT_PTR id) {
    return ::KillTimer(m_hWnd, id);
}

CWnd* CWnd::SetCapture() {
    return FromHandle(::SetCapture(m_hWnd));
}

CWnd* CWnd::GetCapture() {
    return FromHandle(::GetCapture());
}

CWnd* CWnd::WindowFromPoint(POINT screenPoint) {
    return FromHandle(::WindowFromPoint(screenPoint));
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) {
        result = DefWindowProc(message, wParam, lParam);
    }
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    for (const MessageMap* map = GetMessageMap(); map != nullptr;
         map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* entry = map->entries; entry->handler != nullptr; ++entry) {
            const UINT number =
                entry->registeredMessage ? *entry->registeredMessage : entry->message;
            // A registered message whose registration failed (0) matches nothing.
            if (number != message || (entry->registeredMessage && number == 0)) {
                continue;
            }
            MSG current{m_hWnd, message, wParam, lParam, 0, {}};
            const MSG* outer = currentMessage_;
            currentMessage_ = &current;
            const LRESULT answer = entry->handler(this, wParam, lParam);
            currentMessage_ = outer;
            if (result != nullptr) {
                *result = answer;
            }
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    if (currentMessage_ == nullptr) {
        return 0;
    }
    const MSG message = *currentMessage_;
    return DefWindowProc(message.message, message.wParam, message.lParam);
}

const MessageMap* CWnd::GetMessageMap() const {
    return GetThisMessageMap();
}

const MessageMap* CWnd::GetThisMessageMap() {
    static const MessageMapEntry entries[] = {{0, nullptr, nullptr}};
    static const MessageMap map{nullptr, entries};
    return &map;
}

int CWnd::OnCreate(CREATESTRUCTA*) {
    return static_cast<int>(Default());
}
void CWnd::OnDestroy() {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
void CWnd::OnSize(UINT, int, int) {
    Default();
}
void CWnd::OnTimer(UINT_PTR) {
    Default();
}
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) {
    return static_cast<BOOL>(Default());
}
void CWnd::OnMouseMove(UINT, POINT) {
    Default();
}
void CWnd::OnLButtonDown(UINT, POINT) {
    Default();
}
void CWnd::OnLButtonUp(UINT, POINT) {
    Default();
}
void CWnd::OnRButtonDown(UINT, POINT) {
    Default();
}
void CWnd::OnRButtonUp(UINT, POINT) {
    Default();
}
BOOL CWnd::OnMouseWheel(UINT, short, POINT) {
    return static_cast<BOOL>(Default());
}
void CWnd::OnMouseLeave() {
    Default();
}

std::unique_ptr<CWnd> CreateWindowObject(const char* runtimeClassName) {
    const CRuntimeClass* runtimeClass = CRuntimeClass::FromName(runtimeClassName);
    if (runtimeClass == nullptr || !runtimeClass->IsDerivedFrom(RUNTIME_CLASS(CWnd))) {
        return nullptr;
    }
    return std::unique_ptr<CWnd>(static_cast<CWnd*>(runtimeClass->CreateObject()));
}

CPaintScope::CPaintScope(CWnd* window) : window_(window) {
    if (window_ != nullptr && !window_->BeginPaint(&paint_)) {
        window_ = nullptr;
    }
}

CPaintScope::~CPaintScope() {
    if (window_ != nullptr) {
        window_->EndPaint(&paint_);
    }
}
