#pragma once
// A few bytes of a file, around a place in it, to tell whether a mark made on
// the file still fits it: a different or rewritten file, or one cut short,
// shows different bytes or another size there.
#include <cstdint>
#include <string>

struct FileSample {
    std::uint64_t size = 0;
    std::string head;  // the first bytes of the file
    std::string near;  // the bytes just before the place

    // Empty (size 0) when the file cannot be read.
    static FileSample Take(const std::string& path, std::uint64_t place);
    bool operator==(const FileSample&) const = default;
};
