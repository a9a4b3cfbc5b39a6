#pragma once
// The process-wide sweep recorder. The sounder library calls OnSweep and
// OnSounderEvent, maybe on a thread of its own; the user-interface thread
// drains the queued sweeps once per host cycle and reads the last sweep, time
// and depth window of each channel. One lock guards it all and is held only
// for copying.
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "echo/ZxEtrEcho.h"
#include "platform/CriticalSection.h"

struct ZXRawSweep;

// Window top and bottom of a sweep in metres, and the sounder's reference
// depth (positive downwards) that placed it.
struct EtrSweepWindow {
    double top = 0.0;
    double bottom = 0.0;
    double referenceDepth = 0.0;
};

// A depth in tenths of one of the sounder's five units, in metres; the
// undefined marker for an unknown unit.
double DepthToMetres(std::int32_t value, std::int16_t unit);

// The window of a raw sweep from the sounder's unit, the pane kind of its
// channel and the reference depth. Reads the sounder; changes nothing.
EtrSweepWindow ComputeSweepWindow(const ZXRawSweep& raw);

class EtrSweepRecorder {
  public:
    // Beyond this many undrained sweeps (a host that stopped cycling) the
    // oldest go: the stores could not keep them anyway.
    static constexpr std::size_t kMaxPending = 4096;

    EtrSweepRecorder();
    ~EtrSweepRecorder();
    EtrSweepRecorder(const EtrSweepRecorder&) = delete;
    EtrSweepRecorder& operator=(const EtrSweepRecorder&) = delete;

    // Queues a copy of the sweep with its window. A sweep of a channel other
    // than 0 or 1, or of more than 1024 samples, is refused and counted.
    void OnSweep(const ZXRawSweep* raw);
    void OnSounderEvent(std::int16_t code);

    // Appends the queued sweeps in arrival order and empties the queue.
    void DrainSweeps(std::vector<ZxEtrEcho>& sweeps);
    // Frees the queued sweeps without delivering them.
    void DiscardPending();
    // The channel's last sweep; false while the channel never delivered one.
    bool GetLastSweep(std::int16_t channel, ZxEtrEcho* sweep);
    // Tick count of the latest sweep of either channel, 0 before any.
    std::uint32_t GetLastSweepTime();
    // (top, bottom) of the channel's latest sweep; the channel is clamped to 0..1.
    std::pair<double, double> GetDepthWindow(std::int16_t channel);

    bool IsSettingsChanged() const;
    void ClearSettingsChanged();
    // Reads and clears the flag in one step, so that a change signalled in
    // between is not lost.
    bool TakeSettingsChanged();

    // Sweeps refused for a bad channel or sample count since the start.
    std::uint64_t GetRefusedCount() const { return refused_.load(std::memory_order_relaxed); }
    // Sweeps queued since the start.
    std::uint64_t GetQueuedCount();
    // Sweeps dropped undrained because the queue was full.
    std::uint64_t GetDroppedCount();

  private:
    CRITICAL_SECTION lock_;
    std::deque<std::unique_ptr<ZxEtrEcho>> pending_;
    ZxEtrEcho last_[2];
    bool received_[2] = {false, false};
    std::uint32_t lastTime_[2] = {0, 0};
    double windowTop_[2] = {0.0, 0.0};
    double windowBottom_[2] = {0.0, 0.0};
    std::uint64_t queued_ = 0;
    std::uint64_t dropped_ = 0;
    std::atomic<std::uint8_t> settingsChanged_{0};
    std::atomic<std::uint64_t> refused_{0};
};

// The process-wide recorder.
EtrSweepRecorder& GetSweepRecorder();

// The callbacks registered with the sounder library and the user-interface
// side, on the process-wide recorder.
void OnSweep(ZXRawSweep* raw);
void OnSounderEvent(std::int16_t code);
void DrainSweeps(std::vector<ZxEtrEcho>& sweeps);
bool GetLastSweep(std::int16_t channel, ZxEtrEcho* sweep);
std::uint32_t GetLastSweepTime();
std::pair<double, double> GetDepthWindow(std::int16_t channel);
bool IsSettingsChanged();
void ClearSettingsChanged();
