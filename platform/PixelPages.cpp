#include "platform/PixelPages.h"

#include <sys/mman.h>

#include <limits>

PixelPages::PixelPages(std::size_t count) {
    if (count == 0 || count > std::numeric_limits<std::size_t>::max() / 4) {
        return;
    }
    void* pages =
        ::mmap(nullptr, count * 4, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages != MAP_FAILED) {
        pixels_ = std::unique_ptr<std::uint32_t[], Unmap>(static_cast<std::uint32_t*>(pages),
                                                          Unmap{count});
    }
}

void PixelPages::Unmap::operator()(std::uint32_t* pixels) const {
    ::munmap(pixels, count * 4);
}
