#pragma once
// The application framework's point in time: 64-bit seconds since 1970.
#include <cstdint>

class CTime {
  public:
    CTime() = default;
    explicit CTime(std::int64_t time) : time_(time) {}
    std::int64_t GetTime() const { return time_; }
    friend bool operator==(const CTime&, const CTime&) = default;

  private:
    std::int64_t time_ = 0;
};
