#include "platform/TickCount.h"

#include <chrono>
#include <mutex>

namespace {

std::mutex sourceMutex;
std::function<DWORD()> source;

DWORD SystemTicks() {
    static const auto start = std::chrono::steady_clock::now();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

}  // namespace

DWORD GetTickCount() {
    std::function<DWORD()> current;
    {
        std::lock_guard lock(sourceMutex);
        current = source;
    }
    return current ? current() : SystemTicks();
}

void SetTickCountSource(std::function<DWORD()> next) {
    std::lock_guard lock(sourceMutex);
    source = std::move(next);
}
