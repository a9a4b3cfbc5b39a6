#include "host/app/HostFrame.h"

#include <algorithm>

#include "platform/Desktop.h"

namespace {

// The larger share of the width, in hundredths.
constexpr int kLargerShare = 62;

}  // namespace

BEGIN_MESSAGE_MAP(HostFrame, CWnd)
ON_WM_SIZE()
END_MESSAGE_MAP()

HWND HostFrame::ViewWindow() const {
    Desktop* desktop = GetCurrentDesktop();
    if (desktop == nullptr || m_hWnd == nullptr) {
        return nullptr;
    }
    for (HWND child : desktop->GetChildren(m_hWnd)) {
        if (child != chart_ && child != timeline_) {
            return child;
        }
    }
    return nullptr;
}

void HostFrame::SetChartWindow(HWND chart) {
    chart_ = chart;
    Layout();
}

void HostFrame::SetTimelineWindow(HWND timeline, int height) {
    timeline_ = timeline;
    timelineHeight_ = timeline != nullptr ? height : 0;
    Layout();
}

void HostFrame::SwapShares() {
    chartLarger_ = !chartLarger_;
    Layout();
}

void HostFrame::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    Layout();
}

void HostFrame::Layout() {
    RECT client{};
    GetClientRect(&client);
    const int width = client.right - client.left;
    int height = client.bottom - client.top;
    if (timeline_ != nullptr && ::IsWindow(timeline_)) {
        height = std::max(height - timelineHeight_, 1);
        ::MoveWindow(timeline_, 0, height, width, timelineHeight_, TRUE);
    }
    HWND view = ViewWindow();
    if (chart_ == nullptr || !::IsWindow(chart_)) {
        if (view != nullptr) {
            ::MoveWindow(view, 0, 0, width, height, TRUE);
        }
        return;
    }
    // The larger one on the left.
    const int larger = width * kLargerShare / 100;
    HWND left = chartLarger_ ? chart_ : view;
    HWND right = chartLarger_ ? view : chart_;
    if (left != nullptr) {
        ::MoveWindow(left, 0, 0, larger, height, TRUE);
    }
    if (right != nullptr) {
        ::MoveWindow(right, larger, 0, width - larger, height, TRUE);
    }
}
