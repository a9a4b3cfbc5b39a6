#include "host/replay/FileSample.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

constexpr std::uint64_t kHeadBytes = 64;
constexpr std::uint64_t kNearBytes = 64;

std::string ReadAt(std::ifstream& in, std::uint64_t offset, std::uint64_t count) {
    std::string bytes(count, '\0');
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

}  // namespace

FileSample FileSample::Take(const std::string& path, std::uint64_t place) {
    std::error_code ec;
    const std::uint64_t size = std::filesystem::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in || place > size) {
        return {};
    }
    FileSample sample;
    sample.size = size;
    sample.head = ReadAt(in, 0, std::min(kHeadBytes, size));
    const std::uint64_t from = place > kNearBytes ? place - kNearBytes : 0;
    sample.near = ReadAt(in, from, place - from);
    return sample;
}
