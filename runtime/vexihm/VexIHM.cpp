// The host's user-interface library: its status line and busy periods are
// kept here, its messages go to the platform's message box (a window of the
// host, or standard error without one).
#include <mutex>
#include <string>

#include "hostfamily/VexIHMApi.h"
#include "platform/MessageBox.h"

namespace {

constexpr const char* kCaption = "Plotrex";

class Api final : public VexIHMAPI {
  public:
    int GetVersion() override { return kVexIHMVersion; }

    void SetStatusText(const char* text) override {
        std::lock_guard lock(mutex_);
        status_ = text ? text : "";
    }

    const char* GetStatusText() override {
        std::lock_guard lock(mutex_);
        return status_.c_str();
    }

    int BeginWait() override {
        std::lock_guard lock(mutex_);
        return ++waits_;
    }

    int EndWait() override {
        std::lock_guard lock(mutex_);
        if (waits_ > 0) {
            --waits_;
        }
        return waits_;
    }

    int ShowMessage(const char* text, int style, int, int) override {
        const UINT icon = style == kVexIHMStyleError     ? MB_ICONERROR
                          : style == kVexIHMStyleWarning ? MB_ICONWARNING
                                                         : 0;
        return MessageBoxA(nullptr, text ? text : "", kCaption, MB_OK | icon);
    }

  private:
    std::mutex mutex_;
    std::string status_;
    int waits_ = 0;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) VexIHMAPI* GetVexIHMAPI() {
    static Api api;
    return &api;
}
