#pragma once
// Writes the sounder's saved state: a tag and a version at the front, the
// values little-endian whatever the machine, and a checksum at the end so
// that a damaged blob is told from one that merely holds other values.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace norvane {

constexpr uint32_t kStateTag = 0x5453564Eu;  // "NVST" as it lies in the blob
constexpr uint32_t kStateVersion = 1;
// Tag, version and payload size in front; the checksum behind.
constexpr std::size_t kStateHeaderBytes = 12;
constexpr std::size_t kStateChecksumBytes = 8;

// FNV-1a over the bytes: cheap, and any single flipped bit changes it.
inline uint64_t StateChecksum(const uint8_t* data, std::size_t size) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ data[i]) * 0x100000001B3ull;
    }
    return hash;
}

class StateWriter {
  public:
    StateWriter() {
        bytes_.reserve(1024);
        U32(kStateTag);
        U32(kStateVersion);
        U32(0);  // the payload's size, filled in by Finish
    }

    void U8(uint8_t value) { bytes_.push_back(value); }
    void Bool(bool value) { U8(value ? 1 : 0); }
    void U32(uint32_t value) { Little(value, 4); }
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void U64(uint64_t value) { Little(value, 8); }
    void F64(double value) {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        U64(bits);
    }
    void OptionalF64(const std::optional<double>& value) {
        Bool(value.has_value());
        F64(value.value_or(0.0));
    }
    void Raw(const uint8_t* data, std::size_t size) {
        bytes_.insert(bytes_.end(), data, data + size);
    }

    // The whole blob, sized and sealed; the writer is spent.
    std::vector<uint8_t> Finish() {
        const auto payload = static_cast<uint32_t>(bytes_.size() - kStateHeaderBytes);
        for (int i = 0; i < 4; ++i) {
            bytes_[8 + i] = static_cast<uint8_t>(payload >> (8 * i));
        }
        U64(StateChecksum(bytes_.data(), bytes_.size()));
        return std::move(bytes_);
    }

  private:
    void Little(uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
        }
    }

    std::vector<uint8_t> bytes_;
};

}  // namespace norvane
