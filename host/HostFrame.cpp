#include "host/HostFrame.h"

#include "platform/Desktop.h"

BEGIN_MESSAGE_MAP(HostFrame, CWnd)
ON_WM_SIZE()
END_MESSAGE_MAP()

HWND HostFrame::ViewWindow() const {
    Desktop* desktop = GetCurrentDesktop();
    if (desktop == nullptr || m_hWnd == nullptr) {
        return nullptr;
    }
    const std::vector<HWND> children = desktop->GetChildren(m_hWnd);
    return children.empty() ? nullptr : children.front();
}

void HostFrame::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    if (HWND view = ViewWindow()) {
        ::MoveWindow(view, 0, 0, cx, cy, TRUE);
    }
}
