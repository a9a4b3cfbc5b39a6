#pragma once
// Owning handle of a pixman image.
#include <memory>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#include <pixman.h>
#pragma GCC diagnostic pop

struct PixmanImageDeleter {
    void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
};
using PixmanImagePtr = std::unique_ptr<pixman_image_t, PixmanImageDeleter>;
