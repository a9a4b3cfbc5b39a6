#pragma once
// What is known of a surface's pixels: runs of each row that hold one pixel
// value. A context that opts in (Attach) records its solid fills here, and a
// drawing that knows what lies under it can then write its result instead of
// blending. A recorded fill may still be pending: its pixels are written when
// someone else needs them (WritePending), so that a fill covered at once by
// another is never written twice. The record belongs to the Cairo surface
// and dies with it. A drawing that does not keep it up to date must Settle
// first; a writer from outside must WritePending before and Forget after.
#include <emmintrin.h>

#include <cstdint>
#include <span>
#include <vector>

#include "platform/CairoHandles.h"
#include "platform/WinTypes.h"

class SolidRows {
  public:
    struct Run {
        int x0;
        int x1;  // one past the last pixel
        std::uint32_t pixel;
        bool pending = false;  // not in the pixels yet
    };

    // Gives the surface a record (empty), if it has none.
    static void Attach(cairo_surface_t* surface);
    // The surface's record; null when none was attached.
    static SolidRows* Of(cairo_surface_t* surface);
    // Forgets every pixel of the surface's record, pending ones included.
    static void Forget(cairo_surface_t* surface);
    // Writes the pending runs into the pixels; the record stays.
    static void WritePending(cairo_surface_t* surface);
    // Writes the pending runs, then forgets everything.
    static void Settle(cairo_surface_t* surface);
    // Four pixels a store: fills and rows are mostly long.
    static void FillPixels(std::uint32_t* p, int count, std::uint32_t value) {
        const __m128i four = _mm_set1_epi32(static_cast<int>(value));
        int i = 0;
        for (; i + 8 <= count; i += 8) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), four);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 4), four);
        }
        // The rest, short runs mostly: four, two and one at a store.
        if (i + 4 <= count) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), four);
            i += 4;
        }
        if (i + 2 <= count) {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(p + i), four);
            i += 2;
        }
        if (i < count) {
            p[i] = value;
        }
    }

    bool Empty() const { return runs_.empty(); }
    void Clear();
    // The rectangle, within the surface, holds the pixel value, or will once
    // the pending runs are written.
    void Fill(RECT r, std::uint32_t pixel, bool pending = false);
    // The known runs of row y, left to right (none outside the surface).
    std::span<const Run> Row(int y) const {
        if (y < 0 || y + 1 >= static_cast<int>(starts_.size())) {
            return {};
        }
        return {runs_.data() + starts_[y], runs_.data() + starts_[y + 1]};
    }

    // Rebuilds rows first..last - 1: edit(y, old runs, out) appends the new
    // runs of row y to out, left to right. Adjacent runs of one value merge.
    template <class Edit>
    void Rewrite(int first, int last, Edit edit);

    explicit SolidRows(int height) : starts_(static_cast<std::size_t>(height) + 1, 0) {}

  private:
    static void Append(std::vector<Run>& out, std::size_t rowStart, Run run) {
        if (run.x1 <= run.x0) {
            return;
        }
        if (out.size() > rowStart && out.back().x1 == run.x0 && out.back().pixel == run.pixel &&
            out.back().pending == run.pending) {
            out.back().x1 = run.x1;
            return;
        }
        out.push_back(run);
    }

    std::vector<Run> runs_;
    bool pending_ = false;               // some run is pending
    std::vector<std::uint32_t> starts_;  // row y's runs are runs_[starts_[y]..starts_[y + 1])
    std::vector<Run> spare_;
    std::vector<std::uint32_t> spareStarts_;
    std::vector<Run> row_;
};

template <class Edit>
void SolidRows::Rewrite(int first, int last, Edit edit) {
    const int height = static_cast<int>(starts_.size()) - 1;
    first = first < 0 ? 0 : first;
    last = last > height ? height : last;
    if (first >= last) {
        return;
    }
    spare_.clear();
    spareStarts_.assign(starts_.size(), 0);
    spare_.insert(spare_.end(), runs_.begin(), runs_.begin() + starts_[first]);
    for (int y = 0; y < first; ++y) {
        spareStarts_[y + 1] = starts_[y + 1];
    }
    for (int y = first; y < last; ++y) {
        row_.clear();
        edit(y, Row(y), row_);
        const std::size_t rowStart = spare_.size();
        for (const Run& run : row_) {
            Append(spare_, rowStart, run);
        }
        spareStarts_[y + 1] = static_cast<std::uint32_t>(spare_.size());
    }
    const std::uint32_t shift = static_cast<std::uint32_t>(spare_.size()) - starts_[last];
    spare_.insert(spare_.end(), runs_.begin() + starts_[last], runs_.end());
    for (int y = last; y < height; ++y) {
        spareStarts_[y + 1] = starts_[y + 1] + shift;
    }
    runs_.swap(spare_);
    starts_.swap(spareStarts_);
}
