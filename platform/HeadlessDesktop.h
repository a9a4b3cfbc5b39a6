#pragma once
// A desktop without a screen: windows are records with a client pixel buffer,
// time is a virtual clock that only moves when told to (Idle/AdvanceClock),
// and the mouse is driven by calls that stand for the user's hand. Everything
// is deterministic: the same calls give the same messages in the same order.
//
// What it reproduces of Windows, and what it leaves out:
// - Messages: SendMessage calls the window procedure at once; posted messages
//   and mouse input share one first-in first-out queue (Windows takes posted
//   messages before input). WM_PAINT is generated when the queue is empty, for
//   visible windows with something to update, parents before children; a
//   window whose WM_PAINT leaves it invalid is not painted again in the same
//   pump (Windows would repaint it forever).
// - Update regions are kept as their bounding rectangle; validating a part
//   that does not cut the rectangle down leaves it whole.
// - Timers fire at their period on the virtual clock, every period that
//   elapses (Windows coalesces missed ticks; here handlers take no time),
//   several timers due at once in the order they were set. An elapse below
//   USER_TIMER_MINIMUM is raised to it.
// - Mouse: WM_SETCURSOR (not while captured) then the mouse message go to the
//   capture window or else to the deepest visible window under the point;
//   WM_MOUSEWHEEL goes the same way (as with Windows' scrolling of inactive
//   windows) and the default procedure hands it to the parent. Moving the
//   mouse out of a window tracked with TrackMouseEvent posts WM_MOUSELEAVE.
//   No double clicks, hover, non-client area, focus or keyboard.
// - Windows have no frame. Hiding, moving or resizing a window does not
//   repaint what it uncovers; a window that is shown or resized is invalidated
//   whole, with erase. There is no class background: WM_ERASEBKGND's default
//   erases nothing (so PAINTSTRUCT.fErase stays TRUE unless a handler erased).
// - Monitors are rectangles given by the caller; a window's monitor is the one
//   that holds the centre of its rectangle (Windows takes the one with the
//   largest intersection). The work area is the whole monitor.
// - Presenting copies pixels into the window's buffer with nearest-neighbour
//   scaling, or hands over a frame of the window's own size in exchange for
//   the buffer (FlipToWindow); child windows are separate buffers, composed
//   when captured.
//
// A desktop with real windows can build on this one: it adds showing the
// buffers, feeding its input through QueueMouse and following a real clock.
#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/Desktop.h"
#include "platform/PixelImage.h"

enum class MouseButton { Left, Right, Middle };

class HeadlessDesktop : public Desktop {
  public:
    // Becomes the current desktop and the source of GetTickCount, which starts
    // at `startTicks`; the destructor destroys the windows left and gives both
    // back to what was there before. Without monitors, one of 1920 x 1080.
    explicit HeadlessDesktop(std::vector<RECT> monitors = {}, DWORD startTicks = 0);
    ~HeadlessDesktop() override;
    HeadlessDesktop(const HeadlessDesktop&) = delete;
    HeadlessDesktop& operator=(const HeadlessDesktop&) = delete;

    HWND CreateWindowHandle(WNDPROC procedure, const CREATESTRUCTA& create) override;
    bool DestroyWindow(HWND window) override;
    bool IsWindow(HWND window) const override;
    HWND GetParent(HWND window) const override;
    std::vector<HWND> GetChildren(HWND window) const override;
    std::vector<HWND> GetTopLevelWindows() const override;
    HWND GetDesktopWindow() const override;
    bool GetWindowRect(HWND window, RECT* screenRect) const override;
    bool GetClientRect(HWND window, RECT* rect) const override;
    bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                      UINT flags) override;
    bool ShowWindow(HWND window, int command) override;
    bool IsWindowVisible(HWND window) const override;
    bool ClientToScreen(HWND window, POINT* point) const override;
    bool ScreenToClient(HWND window, POINT* point) const override;
    HWND WindowFromPoint(POINT screenPoint) const override;

    LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostQuitMessage(int exitCode) override;
    bool PumpMessages() override;
    // The queued messages only: windows left invalid stay so until the next
    // pump. For a run that looks at its windows only now and then.
    bool DeliverMessages();
    void Idle(DWORD milliseconds) override;

    bool InvalidateRect(HWND window, const RECT* rect, bool erase) override;
    bool ValidateRect(HWND window, const RECT* rect) override;
    bool GetUpdateRect(HWND window, RECT* rect) const override;
    bool RedrawWindow(HWND window, const RECT* update, UINT flags) override;
    bool UpdateWindow(HWND window) override;
    bool BeginPaint(HWND window, PAINTSTRUCT* paint) override;
    bool EndPaint(HWND window, const PAINTSTRUCT* paint) override;

    UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) override;
    bool KillTimer(HWND window, UINT_PTR id) override;
    DWORD GetTickCount() const override;

    HWND SetCapture(HWND window) override;
    bool ReleaseCapture() override;
    HWND GetCapture() const override;
    POINT GetCursorPos() const override;
    bool TrackMouseEvent(TRACKMOUSEEVENT* track) override;
    HCURSOR LoadCursor(int resourceId, const CursorImage* image) override;
    HCURSOR SetCursor(HCURSOR cursor) override;
    HCURSOR GetCursor() const override;
    int GetCursorResourceId(HCURSOR cursor) const override;
    const CursorImage* GetCursorImage(HCURSOR cursor) const override;

    std::vector<HMONITOR> GetMonitors() const override;
    HMONITOR MonitorFromPoint(POINT point, DWORD flags) const override;
    HMONITOR MonitorFromWindow(HWND window, DWORD flags) const override;
    bool GetMonitorInfo(HMONITOR monitor, MONITORINFO* info) const override;

    bool PresentToWindow(HWND window, const std::uint32_t* pixels, int width, int height,
                         int stride, const RECT* source, const RECT* destination) override;
    WindowSurface GetWindowSurface(HWND window) override;
    bool FlipToWindow(HWND window, PixelPages& pixels, int width, int height) override;

    // Controls for tests and for the host.

    // Same as Idle.
    void AdvanceClock(DWORD milliseconds) { Idle(milliseconds); }
    // Virtual milliseconds since construction, without wrapping.
    std::uint64_t Elapsed() const { return now_.load(std::memory_order_relaxed); }
    // Replaces the monitors (the first is the primary one); false, and
    // nothing changes, for an empty list or an empty rectangle.
    bool SetMonitors(std::vector<RECT> monitors);

    // The user's hand, in screen coordinates: each call queues the input (a
    // move first when the point differs from the cursor's) and pumps.
    void MoveMouse(POINT screenPoint);
    void PressButton(MouseButton button, POINT screenPoint);
    void ReleaseButton(MouseButton button, POINT screenPoint);
    // delta: WHEEL_DELTA (120) per notch, positive away from the user.
    void TurnWheel(POINT screenPoint, int delta);
    // MK_SHIFT and MK_CONTROL held from now on.
    void SetModifierKeys(UINT keys);

    // The client area with the visible children drawn over it; empty for a
    // window that does not exist.
    PixelImage CaptureWindow(HWND window) const;
    bool SaveWindowPng(HWND window, const std::string& path) const;
    // How many presents reached the window.
    int PresentCount(HWND window) const;
    // Lets go of what the window and its children show, as a desktop that
    // keeps nothing of windows no one looks at: each of them that held pixels
    // is invalidated whole, with erase, and paints again when next painted.
    void DropContents(HWND window);
    // The resource id of the current cursor.
    int CurrentCursorId() const { return GetCursorResourceId(GetCursor()); }

  protected:
    enum class InputKind { Move, Down, Up, Wheel };
    // Queues mouse input without pumping.
    void QueueMouse(InputKind kind, MouseButton button, POINT screenPoint, int delta = 0);

  private:
    struct Window;
    struct Timer;
    struct QueueItem;
    struct Cursor;

    Window* Find(HWND window) const;
    std::vector<HWND>& Siblings(const Window& window);
    // Moves the window among its siblings: below insertAfter, or to the top
    // or bottom.
    void Restack(const Window& window, HWND insertAfter);
    POINT ScreenOrigin(const Window& window) const;
    bool ShiftByOrigin(HWND window, POINT* point, int sign) const;
    RECT ClientRect(const Window& window) const;
    void DestroyTree(HWND window);
    HWND Deepest(const std::vector<HWND>& windows, POINT screenPoint) const;
    HWND NextToPaint(const std::unordered_set<HWND>& skip) const;
    // Takes the first queued message and dispatches it; false when none was.
    bool DeliverNext();
    void CollectForRedraw(HWND window, UINT flags, std::vector<HWND>& out) const;
    bool Invalidate(Window& window, const RECT* rect, bool erase);
    void Resize(Window& window, int width, int height);
    std::uint32_t* EnsurePixels(Window& window);
    void Dispatch(const QueueItem& item);
    void ProcessInput(const QueueItem& item);
    void DeliverMouse(UINT message);
    void CheckMouseLeave();
    Timer* NextDueTimer(std::uint64_t limit);
    void SendEraseIfPending(HWND window);
    // Draws the window and its visible children into the target, the
    // window's client origin at the offset; what falls outside is skipped.
    void Compose(HWND window, const WindowSurface& target, int offsetX, int offsetY) const;

    std::unordered_map<HWND, std::unique_ptr<Window>> windows_;
    std::vector<HWND> topLevel_;
    std::uintptr_t nextHandle_;
    HWND desktopWindow_;

    // Guards the queue and the set of live handles, for PostMessage from
    // other threads.
    mutable std::mutex queueMutex_;
    std::deque<QueueItem> queue_;
    std::unordered_set<HWND> live_;
    bool quit_ = false;

    std::vector<Timer> timers_;
    std::uint64_t timerSequence_ = 0;
    UINT_PTR nextThreadTimer_ = 1;
    // Moved by the user-interface thread only, read by the sounder's thread
    // too (the sweep recorder stamps each sweep with GetTickCount).
    std::atomic<std::uint64_t> now_ = 0;
    DWORD startTicks_;

    POINT cursorPos_;
    UINT buttons_ = 0;
    UINT modifiers_ = 0;
    HWND capture_ = nullptr;
    std::map<int, Cursor> cursors_;
    HCURSOR cursor_ = nullptr;

    std::vector<RECT> monitors_;
    Desktop* previous_;
};
