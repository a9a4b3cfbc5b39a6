#include "layout/PlotrexView.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "module/CommandDispatch.h"
#include "module/CommandNames.h"
#include "resources/ModuleCursors.h"

namespace {

// The pointer's offset from the centre is divided by this for one step.
constexpr int kEdgeScrollDivisor = 10;
constexpr int kMaxEdgeScrollStep = 32;

bool NearEdge(POINT p, int width, int height) {
    const int band = PlotrexView::kEdgeBand;
    return (p.x >= 0 && p.x < band) || (p.x > width - band && p.x < width) ||
           (p.y >= 0 && p.y < band) || (p.y > height - band && p.y < height);
}

std::int64_t Cross(POINT o, POINT a, POINT b) {
    return std::int64_t{a.x - o.x} * (b.y - o.y) - std::int64_t{a.y - o.y} * (b.x - o.x);
}

bool OnSegment(POINT a, POINT b, POINT p) {
    return Cross(a, b, p) == 0 && p.x >= std::min(a.x, b.x) && p.x <= std::max(a.x, b.x) &&
           p.y >= std::min(a.y, b.y) && p.y <= std::max(a.y, b.y);
}

// Points on the border count as inside: the zones share their borders and the
// first zone in the table takes them.
bool InPolygon(std::initializer_list<POINT> polygon, POINT p) {
    const POINT* v = polygon.begin();
    const std::size_t n = polygon.size();
    bool inside = false;
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        if (OnSegment(v[j], v[i], p)) {
            return true;
        }
        if ((v[i].y > p.y) != (v[j].y > p.y) && p.x < v[i].x + static_cast<double>(p.y - v[i].y) *
                                                                   (v[j].x - v[i].x) /
                                                                   (v[j].y - v[i].y)) {
            inside = !inside;
        }
    }
    return inside;
}

}  // namespace

IMPLEMENT_DYNCREATE(PlotrexView, CWnd)

BEGIN_MESSAGE_MAP(PlotrexView, CWnd)
ON_WM_PAINT()
ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgnd)
ON_WM_SIZE()
ON_WM_SETCURSOR()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_RBUTTONUP()
ON_WM_MOUSEWHEEL()
ON_WM_TIMER()
END_MESSAGE_MAP()

PlotrexView::PlotrexView() = default;

PlotrexView::~PlotrexView() {
    // While the organizer still exists: the last messages may reach it.
    if (m_hWnd != nullptr) {
        DestroyWindow();
    }
}

void PlotrexView::StartTimers(short* dayNightMode) {
    SetTimer(kRedrawTimer, kRedrawPeriod);
    SetTimer(kEdgeScrollTimer, kEdgeScrollPeriod);
    SetTimer(kMouseLeftTimer, kMouseLeftPeriod);
    dayNightMode_ = dayNightMode;
}

LRESULT PlotrexView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto result = CommandDispatch::Dispatch(organizer_, message, wParam, lParam)) {
        return *result;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void PlotrexView::OnPaint() {
    CPaintScope paint(this);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    if (::WindowFromPoint(cursor) != m_hWnd) {
        // The mouse's point goes with the mouse; a point a command put there
        // (from a chart, say) stays.
        const POINT hover = organizer_.GetHoverPoint();
        if (hover.x == mouseHover_.x && hover.y == mouseHover_.y) {
            organizer_.SetHoverPoint(kNoPoint);
        }
        mouseHover_ = kNoPoint;
    } else {
        mouseInside_ = true;
    }
    organizer_.Draw();
    organizer_.Present();
}

LRESULT PlotrexView::OnEraseBkgnd(WPARAM, LPARAM) {
    // The device's frame covers the whole window.
    return 1;
}

void PlotrexView::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    const SIZE size{std::max(cx, kMinSurface), std::max(cy, kMinSurface)};
    if (organizer_.Resize(size)) {
        Invalidate(TRUE);
    }
}

BOOL PlotrexView::OnSetCursor(CWnd* window, UINT hitTest, UINT message) {
    const int id = CursorIdAt(CursorInClient());
    if (id == 0) {
        return CWnd::OnSetCursor(window, hitTest, message);
    }
    ::SetCursor(LoadModuleCursor(id));
    return TRUE;
}

void PlotrexView::OnLButtonDown(UINT, POINT point) {
    SetCapture();
    RECT client{};
    GetClientRect(&client);
    if (NearEdge(point, client.right, client.bottom)) {
        edgeScrolling_ = true;
    } else {
        dragPoint_ = point;
    }
    Default();
}

void PlotrexView::OnLButtonUp(UINT, POINT) {
    if (CWnd::GetCapture() == this) {
        ::ReleaseCapture();
    }
    edgeScrolling_ = false;
    dragPoint_ = kNoPoint;
}

void PlotrexView::OnMouseMove(UINT, POINT point) {
    EdgeScrollStep(point);
    // The capture was lost without a button release: the drag is over.
    if (CWnd::GetCapture() != this) {
        dragPoint_ = kNoPoint;
    }
    if (!IsNoPoint(dragPoint_) && (dragPoint_.x != point.x || dragPoint_.y != point.y)) {
        // The graphs follow the hand.
        organizer_.Scroll(dragPoint_.x - point.x, dragPoint_.y - point.y);
        dragPoint_ = point;
    }
    organizer_.SetHoverPoint(point);
    mouseHover_ = point;
    Invalidate(TRUE);
}

void PlotrexView::OnRButtonUp(UINT, POINT point) {
    organizer_.SetFixedPoint(point);
}

BOOL PlotrexView::OnMouseWheel(UINT, short delta, POINT) {
    CommandDispatch::Execute(organizer_, delta > 0 ? kCommandScalePlus : kCommandScaleMoins,
                             nullptr);
    Invalidate(TRUE);
    return TRUE;
}

void PlotrexView::OnTimer(UINT_PTR id) {
    switch (id) {
        case kRedrawTimer:
            RedrawIfNeeded();
            break;
        case kEdgeScrollTimer:
            EdgeScrollStep(CursorInClient());
            RedrawIfNeeded();
            break;
        case kMouseLeftTimer: {
            RECT client{};
            GetClientRect(&client);
            if (mouseInside_ && !::PtInRect(&client, CursorInClient())) {
                Invalidate(TRUE);
                mouseInside_ = false;
            }
            break;
        }
        default:
            CWnd::OnTimer(id);
            break;
    }
}

int PlotrexView::CursorIdAt(POINT p) const {
    const bool night = dayNightMode_ != nullptr && *dayNightMode_ == 2;
    auto pick = [night](CursorPair pair) { return night ? pair.night : pair.day; };
    RECT client{};
    GetClientRect(&client);
    const int w = client.right;
    const int h = client.bottom;
    if (!NearEdge(p, w, h)) {
        return pick(kCursorsCentre);
    }
    const POINT c{w / 2, h / 2};
    const int w1 = w / 3;
    const int w2 = 2 * w / 3;
    const int h1 = h / 3;
    const int h2 = 2 * h / 3;
    if (InPolygon({c, {w1, 0}, {w2, 0}}, p)) {
        return pick(kCursorsTop);
    }
    if (InPolygon({c, {w2, 0}, {w, 0}, {w, h1}}, p)) {
        return pick(kCursorsTopRight);
    }
    if (InPolygon({c, {w, h1}, {w, h2}}, p)) {
        return pick(kCursorsRight);
    }
    if (InPolygon({c, {w, h2}, {w, h}, {w2, h}}, p)) {
        return pick(kCursorsBottomRight);
    }
    if (InPolygon({c, {w2, h}, {w1, h}}, p)) {
        return pick(kCursorsBottom);
    }
    if (InPolygon({c, {w1, h}, {0, h}, {0, h2}}, p)) {
        return pick(kCursorsBottomLeft);
    }
    if (InPolygon({c, {0, h2}, {0, h1}}, p)) {
        return pick(kCursorsLeft);
    }
    if (InPolygon({c, {0, h1}, {0, 0}, {w1, 0}}, p)) {
        return pick(kCursorsTopLeft);
    }
    return 0;
}

void PlotrexView::SetCursorAt(POINT point) {
    if (const int id = CursorIdAt(point)) {
        ::SetCursor(LoadModuleCursor(id));
    }
}

void PlotrexView::EdgeScrollStep(POINT point) {
    if (!edgeScrolling_) {
        return;
    }
    // Without the capture no button release would reach us to stop it.
    if (CWnd::GetCapture() != this) {
        edgeScrolling_ = false;
        return;
    }
    RECT client{};
    GetClientRect(&client);
    // Beyond the edge the pointer still shows the arrow of the edge it passed.
    SetCursorAt(POINT{std::clamp(point.x, LONG{0}, std::max(client.right - 1, LONG{0})),
                      std::clamp(point.y, LONG{0}, std::max(client.bottom - 1, LONG{0}))});
    const int dx = std::clamp((point.x - client.right / 2) / kEdgeScrollDivisor,
                              -kMaxEdgeScrollStep, kMaxEdgeScrollStep);
    const int dy = std::clamp((point.y - client.bottom / 2) / kEdgeScrollDivisor,
                              -kMaxEdgeScrollStep, kMaxEdgeScrollStep);
    if (dx != 0 || dy != 0) {
        organizer_.Scroll(dx, dy);
    }
}

void PlotrexView::RedrawIfNeeded() {
    if (organizer_.NeedsRedraw()) {
        Invalidate(TRUE);
    }
}

POINT PlotrexView::CursorInClient() const {
    POINT p{};
    ::GetCursorPos(&p);
    ScreenToClient(&p);
    return p;
}
