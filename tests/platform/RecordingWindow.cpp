#include "tests/platform/RecordingWindow.h"

#include <algorithm>
#include <map>
#include <sstream>

std::string Describe(const Recorded& m) {
    static const std::map<UINT, const char*> names = {
        {WM_CREATE, "WM_CREATE"},
        {WM_DESTROY, "WM_DESTROY"},
        {WM_MOVE, "WM_MOVE"},
        {WM_SIZE, "WM_SIZE"},
        {WM_PAINT, "WM_PAINT"},
        {WM_ERASEBKGND, "WM_ERASEBKGND"},
        {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
        {WM_SETCURSOR, "WM_SETCURSOR"},
        {WM_NCDESTROY, "WM_NCDESTROY"},
        {WM_TIMER, "WM_TIMER"},
        {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
        {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
        {WM_LBUTTONUP, "WM_LBUTTONUP"},
        {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
        {WM_RBUTTONUP, "WM_RBUTTONUP"},
        {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"},
        {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
        {WM_MOUSELEAVE, "WM_MOUSELEAVE"},
    };
    std::ostringstream out;
    auto it = names.find(m.message);
    if (it != names.end()) {
        out << it->second;
    } else {
        out << "0x" << std::hex << std::uppercase << m.message << std::dec;
    }
    switch (m.message) {
        case WM_SIZE:
        case WM_MOVE:
            out << ' ' << GET_X_LPARAM(m.lParam) << ',' << GET_Y_LPARAM(m.lParam);
            break;
        case WM_TIMER:
            out << ' ' << m.wParam;
            break;
        case WM_SETCURSOR:
            out << " hit=" << LOWORD(m.lParam) << " for=0x" << std::hex << std::uppercase
                << HIWORD(m.lParam);
            break;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            out << ' ' << GET_X_LPARAM(m.lParam) << ',' << GET_Y_LPARAM(m.lParam)
                << " keys=" << m.wParam;
            break;
        case WM_MOUSEWHEEL:
            out << ' ' << GET_X_LPARAM(m.lParam) << ',' << GET_Y_LPARAM(m.lParam)
                << " delta=" << GET_WHEEL_DELTA_WPARAM(m.wParam)
                << " keys=" << GET_KEYSTATE_WPARAM(m.wParam);
            break;
        default:
            break;
    }
    return out.str();
}

std::vector<std::string> RecordingWindow::Log(std::vector<UINT> only) const {
    std::vector<std::string> log;
    for (const Recorded& m : messages) {
        if (only.empty() || std::find(only.begin(), only.end(), m.message) != only.end()) {
            log.push_back(Describe(m));
        }
    }
    return log;
}

int RecordingWindow::Count(UINT message) const {
    return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                          [&](const Recorded& m) { return m.message == message; }));
}

std::vector<std::string> Only(const std::vector<std::string>& journal,
                              const std::vector<std::string>& texts) {
    std::vector<std::string> lines;
    for (const std::string& line : journal) {
        for (const std::string& text : texts) {
            if (line.find(text) != std::string::npos) {
                lines.push_back(line);
                break;
            }
        }
    }
    return lines;
}
