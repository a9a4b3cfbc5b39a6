#include "echo/EtrSweepRecorder.h"

#include <cmath>

#include "echo/CEtrModeManager.h"
#include "echo/SounderLibrary.h"
#include "hostfamily/ConverterApi.h"
#include "hostfamily/Undefined.h"
#include "platform/TickCount.h"
#include "units/UnitConversion.h"

namespace {

constexpr double kSampleStepUnit = 1.0 / 2097152.0;  // 21 fraction bits

// A converted raw value as the sounder's 32-bit fields hold it.
std::uint32_t TruncatedMetres(std::uint32_t value, std::int16_t unit) {
    const double metres = DepthToMetres(static_cast<std::int32_t>(value), unit);
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::trunc(metres)));
}

}  // namespace

double DepthToMetres(std::int32_t value, std::int16_t unit) {
    const double v = value * 0.1;
    switch (unit) {
        case 0:
            return Convert(v, kUnitMetre, kUnitMetre);
        case 1:
            return Convert(v, kUnitFoot, kUnitMetre);
        case 2:
            return Convert(v, kUnitFathom, kUnitMetre);
        case 3:
            return v * 1.5152;
        case 4:
            return v * 1.65;
        default:
            return kUndefined;
    }
}

EtrSweepWindow ComputeSweepWindow(const ZXRawSweep& raw) {
    std::int32_t kind = kPaneSingleFrequency;
    GetEtrModeManager().GetPaneKind(static_cast<std::int16_t>(raw.channel), &kind);

    ZXSounder* sounder = GetSounder();
    std::int16_t unit = 0;
    std::int32_t unused = 0;
    std::uint32_t start = raw.startDepth;
    std::uint32_t count = raw.sampleCount;
    // The library's record is left as it is: the converted values are ours.
    // A unit the converter cannot take keeps the raw values, as a failing
    // unit query does.
    if (sounder->GetDepthUnit(&unit, &unused) == 0 && unit >= 0 && unit <= 4) {
        start = TruncatedMetres(start, unit);
        count = TruncatedMetres(count, unit);
    }

    EtrSweepWindow window;
    const double span =
        static_cast<double>(count) * static_cast<double>(raw.sampleStep) * kSampleStepUnit;
    window.top = -static_cast<double>(start);
    window.bottom = window.top - span;

    std::int32_t depth = 0;
    std::int32_t valid = 0;
    sounder->GetReferenceDepth(&unused, &depth, &valid);
    window.referenceDepth = valid != 0 ? DepthToMetres(depth, unit) : 0.0;
    // An unknown unit leaves no reference to lock the window to.
    const double reference = IsUndefined(window.referenceDepth) ? 0.0 : window.referenceDepth;
    if (kind == kPaneBottomLock) {
        window.bottom = -reference;
        window.top = -reference + span;
    } else if (kind == kPaneBottomDiscrimination) {
        window.bottom = -reference - span / 2.0;
        window.top = window.bottom + span;
    }
    return window;
}

EtrSweepRecorder::EtrSweepRecorder() : last_{ZxEtrEcho::Empty(), ZxEtrEcho::Empty()} {
    InitializeCriticalSection(&lock_);
}

EtrSweepRecorder::~EtrSweepRecorder() {
    DiscardPending();
    DeleteCriticalSection(&lock_);
}

void EtrSweepRecorder::OnSweep(const ZXRawSweep* raw) {
    if (raw == nullptr) {
        return;
    }
    if (raw->channel > 1 || raw->sampleCount > kMaxSweepSamples) {
        refused_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    // Allocation and the talk with the sounder happen before the lock.
    auto sweep = std::make_unique<ZxEtrEcho>(ZxEtrEcho::FromRaw(*raw));
    const EtrSweepWindow window = ComputeSweepWindow(*raw);
    sweep->windowTop = window.top;
    sweep->windowBottom = window.bottom;
    sweep->referenceDepth = window.referenceDepth;
    const std::size_t channel = sweep->channel;

    std::unique_ptr<ZxEtrEcho> overflow;
    CriticalSectionLock hold(lock_);
    lastTime_[channel] = GetTickCount();
    windowTop_[channel] = window.top;
    windowBottom_[channel] = window.bottom;
    last_[channel] = *sweep;
    received_[channel] = true;
    pending_.push_back(std::move(sweep));
    ++queued_;
    if (pending_.size() > kMaxPending) {
        // Freed after the lock is released, with the other locals.
        overflow = std::move(pending_.front());
        pending_.pop_front();
        ++dropped_;
    }
}

void EtrSweepRecorder::OnSounderEvent(std::int16_t) {
    settingsChanged_.store(1, std::memory_order_release);
}

void EtrSweepRecorder::DrainSweeps(std::vector<ZxEtrEcho>& sweeps) {
    std::deque<std::unique_ptr<ZxEtrEcho>> drained;
    {
        // Only the list changes hands under the lock; copying and freeing
        // happen after it.
        CriticalSectionLock hold(lock_);
        drained.swap(pending_);
    }
    sweeps.reserve(sweeps.size() + drained.size());
    for (const auto& sweep : drained) {
        sweeps.push_back(*sweep);
    }
}

void EtrSweepRecorder::DiscardPending() {
    std::deque<std::unique_ptr<ZxEtrEcho>> drained;
    CriticalSectionLock hold(lock_);
    drained.swap(pending_);
}

bool EtrSweepRecorder::GetLastSweep(std::int16_t channel, ZxEtrEcho* sweep) {
    if (channel < 0 || channel > 1) {
        return false;
    }
    const auto index = static_cast<std::size_t>(channel);
    CriticalSectionLock hold(lock_);
    if (sweep != nullptr) {
        *sweep = last_[index];
    }
    return received_[index];
}

std::uint32_t EtrSweepRecorder::GetLastSweepTime() {
    CriticalSectionLock hold(lock_);
    return lastTime_[0] > lastTime_[1] ? lastTime_[0] : lastTime_[1];
}

std::pair<double, double> EtrSweepRecorder::GetDepthWindow(std::int16_t channel) {
    const std::size_t index = channel <= 0 ? 0 : 1;
    CriticalSectionLock hold(lock_);
    return {windowTop_[index], windowBottom_[index]};
}

bool EtrSweepRecorder::IsSettingsChanged() const {
    return settingsChanged_.load(std::memory_order_acquire) != 0;
}

void EtrSweepRecorder::ClearSettingsChanged() {
    settingsChanged_.store(0, std::memory_order_release);
}

bool EtrSweepRecorder::TakeSettingsChanged() {
    return settingsChanged_.exchange(0, std::memory_order_acq_rel) != 0;
}

std::uint64_t EtrSweepRecorder::GetQueuedCount() {
    CriticalSectionLock hold(lock_);
    return queued_;
}

std::uint64_t EtrSweepRecorder::GetDroppedCount() {
    CriticalSectionLock hold(lock_);
    return dropped_;
}

EtrSweepRecorder& GetSweepRecorder() {
    static EtrSweepRecorder recorder;
    return recorder;
}

void OnSweep(ZXRawSweep* raw) {
    GetSweepRecorder().OnSweep(raw);
}

void OnSounderEvent(std::int16_t code) {
    GetSweepRecorder().OnSounderEvent(code);
}

void DrainSweeps(std::vector<ZxEtrEcho>& sweeps) {
    GetSweepRecorder().DrainSweeps(sweeps);
}

bool GetLastSweep(std::int16_t channel, ZxEtrEcho* sweep) {
    return GetSweepRecorder().GetLastSweep(channel, sweep);
}

std::uint32_t GetLastSweepTime() {
    return GetSweepRecorder().GetLastSweepTime();
}

std::pair<double, double> GetDepthWindow(std::int16_t channel) {
    return GetSweepRecorder().GetDepthWindow(channel);
}

bool IsSettingsChanged() {
    return GetSweepRecorder().IsSettingsChanged();
}

void ClearSettingsChanged() {
    GetSweepRecorder().ClearSettingsChanged();
}
