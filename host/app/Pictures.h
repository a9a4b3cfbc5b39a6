#pragma once
// The pictures a run leaves in --out: the view's during and after a headless
// voyage, the chart's (chart.png), and the window's at the user's key. A
// picture that cannot be written is told; headless, the run then fails.
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/HeadlessDesktop.h"

class Pictures {
  public:
    Pictures(HeadlessDesktop& desktop, std::string folder)
        : desktop_(desktop), folder_(std::move(folder)) {}

    // Lets the view's timers run so that it repaints, then saves the frame.
    void TakeView(HWND frame, const std::string& name);
    // Delivers what is queued and paints the chart alone, then saves it.
    void TakeChart(HWND chart);
    // The window as it is, as window-001.png and on.
    void TakeWindow(HWND frame);

    const std::string& Folder() const { return folder_; }
    // The frame's pictures, in the order taken.
    const std::vector<std::string>& Taken() const { return taken_; }
    // Empty without one.
    const std::string& ChartPicture() const { return chartPicture_; }
    bool Failed() const { return failed_; }

  private:
    std::string PathOf(const std::string& name) const;
    // Failed with the system's reason when the picture could not be written.
    ErrorOr<void> Save(HWND window, const std::string& path);

    HeadlessDesktop& desktop_;
    std::string folder_;
    std::vector<std::string> taken_;
    std::string chartPicture_;
    bool failed_ = false;
};
