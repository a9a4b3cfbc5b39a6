#pragma once
// The echogram's texture used as a ring of rows: one row per sweep, one
// texel per sample. Sweeps are numbered by their store; the ring knows which
// numbers it holds and in which rows.
#include <cstdint>

class EtrTextureRing {
  public:
    static constexpr std::uint32_t kRows = 1024;
    static constexpr std::uint32_t kColumns = 1024;

    EtrTextureRing() = default;
    ~EtrTextureRing();
    EtrTextureRing(const EtrTextureRing&) = delete;
    EtrTextureRing& operator=(const EtrTextureRing&) = delete;

    // Forgets what the rows hold: every stored sweep is uploaded again.
    void Reset();

    std::uint32_t GetFirstNumber() const { return firstNumber_; }
    std::uint32_t GetRowCount() const { return rowCount_; }
    std::uint32_t GetNextRow() const { return nextRow_; }

  private:
    std::uint32_t firstNumber_ = 0;
    std::uint32_t rowCount_ = 0;
    std::uint32_t nextRow_ = 0;
};
