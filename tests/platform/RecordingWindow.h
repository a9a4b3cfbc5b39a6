#pragma once
// A framework window that writes down every message it gets, and what reached
// its default procedure, for the window-manager tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CWnd.h"
#include "platform/HeadlessDesktop.h"

struct Recorded {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// The name of a message and what matters of its parameters, for readable
// expectations.
std::string Describe(const Recorded& m);

class RecordingWindow : public CWnd {
  public:
    ~RecordingWindow() override { DestroyWindow(); }

    bool Make(CWnd* parent, const RECT& rect, DWORD style = WS_VISIBLE) {
        return Create(nullptr, "recorder", style | (parent ? WS_CHILD : WS_POPUP), rect, parent,
                      0) != FALSE;
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back({message, wParam, lParam});
        if (journal != nullptr) {
            journal->push_back(name + ": " + Describe(messages.back()));
        }
        if (message == WM_PAINT) {
            CPaintScope paint(this);
            lastPaint = paint.Paint();
            return 0;
        }
        if (message == WM_ERASEBKGND) {
            return eraseAnswer;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        defaults.push_back({message, wParam, lParam});
        return CWnd::DefWindowProc(message, wParam, lParam);
    }

    // Messages described, optionally only those with the given numbers.
    std::vector<std::string> Log(std::vector<UINT> only = {}) const;
    int Count(UINT message) const;
    void Clear() {
        messages.clear();
        defaults.clear();
    }

    std::vector<Recorded> messages;
    std::vector<Recorded> defaults;
    LRESULT eraseAnswer = 1;
    PAINTSTRUCT lastPaint;
    // When set, every message is also written here after the window's name,
    // to see the order across windows.
    std::vector<std::string>* journal = nullptr;
    std::string name;
};

// A frame with a child view, both created and painted, their logs cleared.
template <typename View = RecordingWindow>
struct FrameAndView {
    HeadlessDesktop desktop;
    RecordingWindow frame;
    View view;
    FrameAndView(const RECT& frameRect, const RECT& viewRect) {
        EXPECT_TRUE(frame.Make(nullptr, frameRect));
        EXPECT_TRUE(view.Make(&frame, viewRect));
        desktop.PumpMessages();
        frame.Clear();
        view.Clear();
    }
};

// The journal's lines that mention one of the given texts.
std::vector<std::string> Only(const std::vector<std::string>& journal,
                              const std::vector<std::string>& texts);
