#pragma once
// Message maps of the framework windows: a table per class from message number
// (or the variable holding a registered message number) to a handler, searched
// from the most derived class to CWnd. Handlers have the framework's
// signatures, with POINT where the framework has its point class.
//
//   class MyWnd : public CWnd { ... DECLARE_MESSAGE_MAP() };
//   BEGIN_MESSAGE_MAP(MyWnd, CWnd)
//       ON_WM_PAINT()
//       ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgnd)      // LRESULT OnEraseBkgnd(WPARAM, LPARAM)
//       ON_REGISTERED_MESSAGE(someMessage, OnSome)   // someMessage: a UINT variable
//   END_MESSAGE_MAP()
#include "platform/WinUser.h"

class CWnd;

struct MessageMapEntry {
    UINT message;
    const UINT* registeredMessage;  // non-null: the entry's number is read from here
    LRESULT (*handler)(CWnd* window, WPARAM wParam, LPARAM lParam);
};

struct MessageMap {
    const MessageMap* (*base)();     // null for CWnd's own map
    const MessageMapEntry* entries;  // ends with a null handler
};

#define DECLARE_MESSAGE_MAP()                     \
  protected:                                      \
    static const MessageMap* GetThisMessageMap(); \
    const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)          \
    const MessageMap* theClass::GetMessageMap() const { \
        return GetThisMessageMap();                     \
    }                                                   \
    const MessageMap* theClass::GetThisMessageMap() {   \
        using ThisClass [[maybe_unused]] = theClass;    \
        using TheBaseClass = baseClass;                 \
        static const MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                   \
    { 0, nullptr, nullptr }                                                 \
    }                                                                       \
    ;                                                                       \
    static const MessageMap map{&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                            \
    }

#define PLOTREX_MSG_ENTRY(msg, registered, body) \
    {msg, registered,                            \
     [](CWnd * w_, [[maybe_unused]] WPARAM wp_, [[maybe_unused]] LPARAM lp_) -> LRESULT body},
#define PLOTREX_THIS static_cast<ThisClass*>(w_)
#define PLOTREX_POINT_OF(lp)               \
    POINT {                                \
        GET_X_LPARAM(lp), GET_Y_LPARAM(lp) \
    }

// LRESULT handler(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn) \
    PLOTREX_MSG_ENTRY(message, nullptr, { return PLOTREX_THIS->memberFxn(wp_, lp_); })
#define ON_REGISTERED_MESSAGE(messageVariable, memberFxn) \
    PLOTREX_MSG_ENTRY(0, &(messageVariable), { return PLOTREX_THIS->memberFxn(wp_, lp_); })

// int OnCreate(CREATESTRUCTA*)
#define ON_WM_CREATE()                    \
    PLOTREX_MSG_ENTRY(WM_CREATE, nullptr, \
                      { return PLOTREX_THIS->OnCreate(reinterpret_cast<CREATESTRUCTA*>(lp_)); })
// void OnDestroy()
#define ON_WM_DESTROY()                      \
    PLOTREX_MSG_ENTRY(WM_DESTROY, nullptr, { \
        PLOTREX_THIS->OnDestroy();           \
        return 0;                            \
    })
// void OnPaint()
#define ON_WM_PAINT()                      \
    PLOTREX_MSG_ENTRY(WM_PAINT, nullptr, { \
        PLOTREX_THIS->OnPaint();           \
        return 0;                          \
    })
// void OnSize(UINT type, int cx, int cy)
#define ON_WM_SIZE()                                                                           \
    PLOTREX_MSG_ENTRY(WM_SIZE, nullptr, {                                                      \
        PLOTREX_THIS->OnSize(static_cast<UINT>(wp_), LOWORD(static_cast<std::uintptr_t>(lp_)), \
                             HIWORD(static_cast<std::uintptr_t>(lp_)));                        \
        return 0;                                                                              \
    })
// void OnTimer(UINT_PTR id)
#define ON_WM_TIMER()                      \
    PLOTREX_MSG_ENTRY(WM_TIMER, nullptr, { \
        PLOTREX_THIS->OnTimer(wp_);        \
        return 0;                          \
    })
// BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message)
#define ON_WM_SETCURSOR()                                                               \
    PLOTREX_MSG_ENTRY(WM_SETCURSOR, nullptr, {                                          \
        return PLOTREX_THIS->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wp_)), \
                                         LOWORD(static_cast<std::uintptr_t>(lp_)),      \
                                         HIWORD(static_cast<std::uintptr_t>(lp_)));     \
    })
// void OnXxx(UINT flags, POINT point), point in client coordinates
#define PLOTREX_ON_MOUSE(message, memberFxn)                                    \
    PLOTREX_MSG_ENTRY(message, nullptr, {                                       \
        PLOTREX_THIS->memberFxn(static_cast<UINT>(wp_), PLOTREX_POINT_OF(lp_)); \
        return 0;                                                               \
    })
#define ON_WM_MOUSEMOVE() PLOTREX_ON_MOUSE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() PLOTREX_ON_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() PLOTREX_ON_MOUSE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_RBUTTONDOWN() PLOTREX_ON_MOUSE(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() PLOTREX_ON_MOUSE(WM_RBUTTONUP, OnRButtonUp)
// BOOL OnMouseWheel(UINT flags, short delta, POINT point), point in screen coordinates
#define ON_WM_MOUSEWHEEL()                                                                       \
    PLOTREX_MSG_ENTRY(WM_MOUSEWHEEL, nullptr, {                                                  \
        return PLOTREX_THIS->OnMouseWheel(GET_KEYSTATE_WPARAM(wp_), GET_WHEEL_DELTA_WPARAM(wp_), \
                                          PLOTREX_POINT_OF(lp_));                                \
    })
// void OnMouseLeave()
#define ON_WM_MOUSELEAVE()                      \
    PLOTREX_MSG_ENTRY(WM_MOUSELEAVE, nullptr, { \
        PLOTREX_THIS->OnMouseLeave();           \
        return 0;                               \
    })
