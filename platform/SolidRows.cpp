#include "platform/SolidRows.h"

#include <algorithm>
#include <memory>

namespace {

const cairo_user_data_key_t kKey{};

void Destroy(void* rows) {
    std::unique_ptr<SolidRows> owned(static_cast<SolidRows*>(rows));
}

}  // namespace

void SolidRows::Attach(cairo_surface_t* surface) {
    if (surface == nullptr || Of(surface) != nullptr ||
        cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) {
        return;
    }
    const int height = cairo_image_surface_get_height(surface);
    auto rows = std::make_unique<SolidRows>(height > 0 ? height : 0);
    if (cairo_surface_set_user_data(surface, &kKey, rows.get(), Destroy) == CAIRO_STATUS_SUCCESS) {
        static_cast<void>(rows.release());  // the surface owns it now
    }
}

SolidRows* SolidRows::Of(cairo_surface_t* surface) {
    return surface != nullptr ? static_cast<SolidRows*>(cairo_surface_get_user_data(surface, &kKey))
                              : nullptr;
}

void SolidRows::Forget(cairo_surface_t* surface) {
    if (SolidRows* rows = Of(surface)) {
        rows->Clear();
    }
}

void SolidRows::WritePending(cairo_surface_t* surface) {
    SolidRows* rows = Of(surface);
    if (rows == nullptr || !rows->pending_) {
        return;
    }
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const int height = static_cast<int>(rows->starts_.size()) - 1;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t{y} * stride);
        for (std::uint32_t i = rows->starts_[y]; i < rows->starts_[y + 1]; ++i) {
            Run& run = rows->runs_[i];
            if (run.pending) {
                FillPixels(row + run.x0, run.x1 - run.x0, run.pixel);
                run.pending = false;
            }
        }
    }
    rows->pending_ = false;
    cairo_surface_mark_dirty(surface);
}

void SolidRows::Settle(cairo_surface_t* surface) {
    WritePending(surface);
    Forget(surface);
}

void SolidRows::Clear() {
    pending_ = false;
    if (runs_.empty()) {
        return;  // every row start is 0 already
    }
    runs_.clear();
    std::fill(starts_.begin(), starts_.end(), 0u);
}

void SolidRows::Fill(RECT r, std::uint32_t pixel, bool pending) {
    pending_ = pending_ || pending;
    Rewrite(r.top, r.bottom,
            [&r, pixel, pending](int, std::span<const Run> old, std::vector<Run>& out) {
                for (const Run& run : old) {
                    if (run.x0 < r.left) {
                        out.push_back(
                            Run{run.x0, std::min<int>(run.x1, r.left), run.pixel, run.pending});
                    }
                }
                out.push_back(Run{r.left, r.right, pixel, pending});
                for (const Run& run : old) {
                    if (run.x1 > r.right) {
                        out.push_back(
                            Run{std::max<int>(run.x0, r.right), run.x1, run.pixel, run.pending});
                    }
                }
            });
}
