#pragma once
// The framework window: a C++ object attached to a window handle of the
// current desktop. Messages reach its virtual WindowProc, which looks them up
// in the class's message map and gives what no entry handles to
// DefWindowProc, the desktop's default window procedure.
//
// Left out of the framework's window: window classes (Create ignores the class
// name; creation by name goes through run-time classes), temporary wrappers of
// foreign windows (FromHandle gives null for a window that no CWnd owns),
// device contexts (BeginPaint returns whether painting may start, not a
// device context), focus, keyboard, menus, dialogs and window texts.
#include <memory>

#include "platform/CObject.h"
#include "platform/MessageMap.h"
#include "platform/WinTypes.h"
#include "platform/WinUser.h"

struct CCreateContext;

class CWnd : public CObject {
    DECLARE_DYNCREATE(CWnd)

  public:
    CWnd();
    // Destroys the window if it still exists. Derived classes that handle
    // WM_DESTROY must destroy it in their own destructor: here only CWnd's
    // handlers are left.
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    // The object attached to a window, null when none is.
    static CWnd* FromHandle(HWND window);

    // Creates the window on the current desktop: WM_CREATE and WM_SIZE reach
    // this object before Create returns. The rectangle is in the parent's
    // client coordinates (screen coordinates without a parent).
    virtual BOOL Create(const char* className, const char* windowName, DWORD style,
                        const RECT& rect, CWnd* parent, UINT id, CCreateContext* context = nullptr);
    virtual BOOL DestroyWindow();
    CWnd* GetParent() const;
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;

    void GetClientRect(RECT* rect) const;
    void GetWindowRect(RECT* screenRect) const;
    void ClientToScreen(POINT* point) const;
    void ClientToScreen(RECT* rect) const;
    void ScreenToClient(POINT* point) const;
    void ScreenToClient(RECT* rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const RECT& rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE);
    void ValidateRect(const RECT* rect);
    BOOL RedrawWindow(const RECT* update = nullptr, HRGN region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    void UpdateWindow();
    BOOL GetUpdateRect(RECT* rect, BOOL erase = FALSE);
    // Sends WM_ERASEBKGND when an erase is pending and validates the window.
    BOOL BeginPaint(PAINTSTRUCT* paint);
    void EndPaint(const PAINTSTRUCT* paint);

    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC procedure = nullptr);
    BOOL KillTimer(UINT_PTR id);

    CWnd* SetCapture();
    static CWnd* GetCapture();
    static CWnd* WindowFromPoint(POINT screenPoint);

    // The message dispatch: map, then default procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The default processing of the message being handled.
    LRESULT Default();

  protected:
    // Called after the window handle is gone (WM_NCDESTROY).
    virtual void PostNcDestroy() {}

    // Default handlers for the typed message-map entries.
    int OnCreate(CREATESTRUCTA* create);
    void OnDestroy();
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    void OnTimer(UINT_PTR id);
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    void OnMouseMove(UINT flags, POINT point);
    void OnLButtonDown(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    void OnRButtonDown(UINT flags, POINT point);
    void OnRButtonUp(UINT flags, POINT point);
    BOOL OnMouseWheel(UINT flags, short delta, POINT point);
    void OnMouseLeave();

    virtual const MessageMap* GetMessageMap() const;
    static const MessageMap* GetThisMessageMap();

  private:
    friend LRESULT FrameworkWindowProc(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND window);
    void Detach();

    const MSG* currentMessage_ = nullptr;
};

// Creates a framework window object by run-time class name ("PlotrexView");
// null when the name is unknown, not creatable, or not a window class. The
// window itself is made by its Create.
std::unique_ptr<CWnd> CreateWindowObject(const char* runtimeClassName);

// The paint context of one WM_PAINT: BeginPaint on construction, EndPaint on
// destruction (the framework's paint device context, without the drawing).
class CPaintScope {
  public:
    explicit CPaintScope(CWnd* window);
    ~CPaintScope();
    CPaintScope(const CPaintScope&) = delete;
    CPaintScope& operator=(const CPaintScope&) = delete;
    const PAINTSTRUCT& Paint() const { return paint_; }

  private:
    CWnd* window_;
    PAINTSTRUCT paint_;
};
