#pragma once
// Reads a blob StateWriter made: refused whole unless its tag, version, size
// and checksum hold; every read checked against what is left, so that no
// count taken from the blob can reach past its end.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "runtime/norvane/StateWriter.h"

namespace norvane {

class StateReader {
  public:
    // False for a blob that is not a sound one of this version.
    bool Open(const uint8_t* data, std::size_t size) {
        if (data == nullptr || size < kStateHeaderBytes + kStateChecksumBytes) {
            return false;
        }
        data_ = data;
        at_ = 0;
        end_ = kStateHeaderBytes;
        uint32_t tag = 0;
        uint32_t version = 0;
        uint32_t payload = 0;
        if (!U32(tag) || !U32(version) || !U32(payload) || tag != kStateTag ||
            version != kStateVersion || payload != size - kStateHeaderBytes - kStateChecksumBytes) {
            return false;
        }
        const std::size_t sealed = size - kStateChecksumBytes;
        uint64_t checksum = 0;
        at_ = sealed;
        end_ = size;
        if (!U64(checksum) || checksum != StateChecksum(data, sealed)) {
            return false;
        }
        at_ = kStateHeaderBytes;
        end_ = sealed;
        return true;
    }

    bool U8(uint8_t& value) {
        if (Left() < 1) {
            return false;
        }
        value = data_[at_++];
        return true;
    }
    bool Bool(bool& value) {
        uint8_t byte = 0;
        if (!U8(byte) || byte > 1) {
            return false;
        }
        value = byte == 1;
        return true;
    }
    bool U32(uint32_t& value) {
        uint64_t wide = 0;
        if (!Little(wide, 4)) {
            return false;
        }
        value = static_cast<uint32_t>(wide);
        return true;
    }
    bool I32(int32_t& value) {
        uint32_t bits = 0;
        if (!U32(bits)) {
            return false;
        }
        value = static_cast<int32_t>(bits);
        return true;
    }
    bool U64(uint64_t& value) { return Little(value, 8); }
    // Only finite numbers: a saved state never holds another.
    bool F64(double& value) {
        uint64_t bits = 0;
        if (!U64(bits)) {
            return false;
        }
        std::memcpy(&value, &bits, sizeof value);
        return std::isfinite(value);
    }
    bool OptionalF64(std::optional<double>& value) {
        bool has = false;
        double number = 0.0;
        if (!Bool(has) || !F64(number)) {
            return false;
        }
        value = has ? std::optional<double>(number) : std::nullopt;
        return true;
    }
    // A count of items of at least bytesEach bytes each: no more than most,
    // and no more than the bytes left could hold.
    bool Count(uint32_t& count, uint32_t most, std::size_t bytesEach) {
        return U32(count) && count <= most && count * bytesEach <= Left();
    }
    bool Raw(uint8_t* out, std::size_t size) {
        if (Left() < size) {
            return false;
        }
        if (size == 0) {
            return true;  // out may be null then
        }
        std::memcpy(out, data_ + at_, size);
        at_ += size;
        return true;
    }
    bool AtEnd() const { return at_ == end_; }

  private:
    std::size_t Left() const { return end_ - at_; }
    bool Little(uint64_t& value, int bytes) {
        if (Left() < static_cast<std::size_t>(bytes)) {
            return false;
        }
        value = 0;
        for (int i = 0; i < bytes; ++i) {
            value |= static_cast<uint64_t>(data_[at_ + i]) << (8 * i);
        }
        at_ += bytes;
        return true;
    }

    const uint8_t* data_ = nullptr;
    std::size_t at_ = 0;
    std::size_t end_ = 0;
};

}  // namespace norvane
