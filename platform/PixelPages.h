#pragma once
// 32-bit pixels on anonymous pages of their own: they read as zero and take
// memory only where written, and go back to the system whole when let go.
// The owner of a window's pixels and of a back buffer's, so that presenting
// a frame can hand the one to the other instead of copying it.
#include <cstddef>
#include <cstdint>
#include <memory>

class PixelPages {
  public:
    PixelPages() = default;
    // Empty when the count is 0 or the system has no pages to give.
    explicit PixelPages(std::size_t count);

    std::uint32_t* data() { return pixels_.get(); }
    const std::uint32_t* data() const { return pixels_.get(); }
    std::size_t size() const { return pixels_ ? pixels_.get_deleter().count : 0; }
    bool empty() const { return pixels_ == nullptr; }

  private:
    struct Unmap {
        std::size_t count;
        void operator()(std::uint32_t* pixels) const;
    };
    std::unique_ptr<std::uint32_t[], Unmap> pixels_;
};
