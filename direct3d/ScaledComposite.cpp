#include "direct3d/ScaledComposite.h"

#include <immintrin.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

// One job, in three loops by the shape of the rectangle: wide rows (a row
// pair blended once, then expanded), columns that show one sweep (a blend a
// row), and rows of a few pixels (texels blended directly). Each shape is the
// fast one for a kind of strip; one general loop was slower for all of them.
// The wide rows, the nearest rows and the columns also come in 256-bit
// registers (the ...Wide functions, AVX2), which run where the processor has
// them; the 128-bit loops finish each row and serve every other processor.
// Hence the length: one job, at two widths, kept together so that the two
// stay the same arithmetic. The columns a ColumnBatch keeps are drawn here
// too, band by band, with the same loops.
namespace d3d9soft {

namespace {

constexpr int kWeightBits = 7;  // pixman's BILINEAR_INTERPOLATION_BITS
constexpr int kWeightOne = 1 << kWeightBits;
// Sample positions stay well inside pixman's 16.16 range, where its own
// stepping cannot overflow and it never refuses to draw.
constexpr std::int64_t kPositionLimit = std::int64_t{1} << 30;
// Wider mappings would make the row of vertically blended texels longer
// than the row of pixels.
constexpr std::int64_t kMaxBilinearUnit = 2 * 65536;

std::atomic<bool> wideAllowed{true};

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// Whether the wide rows' loops take eight pixels at a time in 256-bit
// registers: the same arithmetic, lane for lane.
bool WideVectors() {
    return HasAvx2() && wideAllowed.load(std::memory_order_relaxed);
}

// The source as pixman samples it: a texel index outside the texture reads
// zero (NONE) or wraps (NORMAL).
struct Source {
    const std::uint32_t* bits;
    std::ptrdiff_t stride;  // in pixels
    int width;
    int height;
    bool wrap;

    static std::int64_t Mod(std::int64_t i, int n) {
        const std::int64_t r = i % n;
        return r < 0 ? r + n : r;
    }
    // Null for a row of zeros.
    const std::uint32_t* Row(std::int64_t y) const {
        if (wrap) {
            y = Mod(y, height);
        } else if (y < 0 || y >= height) {
            return nullptr;
        }
        return bits + y * stride;
    }
    // -1 for a column of zeros.
    std::int64_t Column(std::int64_t x) const {
        if (wrap) {
            return Mod(x, width);
        }
        return x < 0 || x >= width ? -1 : x;
    }
};

// Where pixman puts the first sample along one axis of a scale: the centre
// (0.5) of the first pixel through the transform, its product rounded.
std::int64_t FirstCentre(pixman_fixed_t unit, pixman_fixed_t offset) {
    return offset + ((std::int64_t{unit} * 0x8000 + 0x8000) >> 16);
}

bool WithinLimit(std::int64_t first, pixman_fixed_t unit, int count) {
    const std::int64_t last = first + std::int64_t{unit} * (count - 1);
    return std::min(first, last) > -kPositionLimit && std::max(first, last) < kPositionLimit;
}

// How a pixel reaches the target: SRC, OVER the target's pixels, or OVER a
// target known to hold one colour, whose pixels then need not be read.
enum class Mode { kSrc, kOver, kOverSolid };

// pixman's d * (255 - sa) / 255, rounded, for 16-bit channels; alpha holds
// sa in every lane of its pixel.
__m128i OverTerm(__m128i alpha, __m128i d) {
    const __m128i t = _mm_mullo_epi16(d, _mm_xor_si128(alpha, _mm_set1_epi16(0xFF)));
    return _mm_mulhi_epu16(_mm_adds_epu16(t, _mm_set1_epi16(0x80)), _mm_set1_epi16(0x101));
}

// What OVER adds to a sample of each alpha on a target of the colour, as
// 16-bit channels; kept for the next composite, which is mostly onto the
// same colour.
const std::uint64_t* OverTerms(std::uint32_t colour) {
    struct Table {
        bool built = false;
        std::uint32_t colour = 0;
        std::uint64_t terms[256];
    };
    thread_local Table table;
    if (!table.built || table.colour != colour) {
        const __m128i d =
            _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(colour)), _mm_setzero_si128());
        for (int a = 0; a < 256; ++a) {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(table.terms + a),
                             OverTerm(_mm_set1_epi16(static_cast<short>(a)), d));
        }
        table.built = true;
        table.colour = colour;
    }
    return table.terms;
}

bool AllZero(__m128i v) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())) == 0xFFFF;
}

// Pixels as 16-bit channels (four lanes a pixel), put OVER (pixman's
// rounding of d * (255 - sa) / 255, then a saturating add) or SRC.
template <Mode kMode>
struct Combiner {
    static constexpr Mode kCombines = kMode;
    // Whether what is drawn depends on the source alone.
    static constexpr bool kSourceOnly = kMode != Mode::kOver;
    // Whether a sample of zeros leaves the target's pixel as it is.
    static constexpr bool kKeepsOnZero = kMode != Mode::kSrc;

    // kOverSolid: what OVER adds to a sample of each alpha on the colour.
    const std::uint64_t* terms = nullptr;
    std::uint32_t colour = 0;

    static __m128i Blend(__m128i s, __m128i d) {
        const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, _MM_SHUFFLE(3, 3, 3, 3)),
                                                  _MM_SHUFFLE(3, 3, 3, 3));
        return _mm_adds_epu8(s, OverTerm(alpha, d));
    }
    // Two pixels over the solid target: their alphas look up what to add.
    __m128i Solid(__m128i s) const {
        const __m128i t =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(terms + _mm_extract_epi16(s, 3)));
        const double* high = reinterpret_cast<const double*>(terms + _mm_extract_epi16(s, 7));
        return _mm_adds_epu8(s, _mm_castpd_si128(_mm_loadh_pd(_mm_castsi128_pd(t), high)));
    }
    // Two pixels over the target's two at d, read only when they matter.
    __m128i Over2(__m128i s, const void* d) const {
        if constexpr (kMode == Mode::kOver) {
            return Blend(s, _mm_unpacklo_epi8(_mm_loadl_epi64(static_cast<const __m128i*>(d)),
                                              _mm_setzero_si128()));
        } else if constexpr (kMode == Mode::kSrc) {
            return s;
        } else {
            return Solid(s);
        }
    }
    // Pixels 0-1 in lo, 2-3 in hi.
    void Four(std::uint32_t* d, __m128i lo, __m128i hi) const {
        auto* at = reinterpret_cast<__m128i*>(d);
        if constexpr (kMode == Mode::kOver) {
            const __m128i dst = _mm_loadu_si128(at);
            lo = Blend(lo, _mm_unpacklo_epi8(dst, _mm_setzero_si128()));
            hi = Blend(hi, _mm_unpackhi_epi8(dst, _mm_setzero_si128()));
        } else if constexpr (kMode == Mode::kOverSolid) {
            lo = Solid(lo);
            hi = Solid(hi);
        }
        _mm_storeu_si128(at, _mm_packus_epi16(lo, hi));
    }
    void Two(std::uint32_t* d, __m128i s) const {
        s = Over2(s, d);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(s, s));
    }
    void One(std::uint32_t* d, __m128i s) const {
        if constexpr (kMode == Mode::kOver) {
            s = Blend(
                s, _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(*d)), _mm_setzero_si128()));
        } else if constexpr (kMode != Mode::kSrc) {
            s = Solid(s);
        }
        *d = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(s, s)));
    }
    // The same pixel (in the low four lanes) along a row.
    void Fill(std::uint32_t* d, int count, __m128i s) const {
        s = _mm_unpacklo_epi64(s, s);
        if constexpr (kSourceOnly) {
            // One blend for the whole row.
            const std::uint32_t p =
                static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(Over2(s, d), s)));
            std::fill(d, d + count, p);
            return;
        }
        int i = 0;
        for (; i + 3 < count; i += 4) {
            Four(d + i, s, s);
        }
        for (; i + 1 < count; i += 2) {
            Two(d + i, s);
        }
        if (i < count) {
            One(d + i, s);
        }
    }
    // One or two pixels on each of two rows: the first row's pixel in the
    // low four lanes of s, the second row's in the high four.
    template <int pixels>
    void TwoRows(std::uint32_t* d, std::ptrdiff_t stride, __m128i s) const {
        static_assert(pixels == 1 || pixels == 2);
        const __m128i zero = _mm_setzero_si128();
        if constexpr (pixels == 1) {
            if constexpr (kMode == Mode::kOver) {
                const __m128i dst =
                    _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(d[0])),
                                       _mm_cvtsi32_si128(static_cast<int>(d[stride])));
                s = Blend(s, _mm_unpacklo_epi8(dst, zero));
            } else if constexpr (kMode != Mode::kSrc) {
                s = Solid(s);
            }
            const __m128i out = _mm_packus_epi16(s, s);
            d[0] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(out));
            d[stride] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(out, 4)));
        } else if constexpr (kSourceOnly) {
            // A row's two pixels are the same here: one blend for both rows.
            const __m128i out = _mm_packus_epi16(Over2(s, d), s);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d),
                             _mm_shuffle_epi32(out, _MM_SHUFFLE(1, 1, 0, 0)));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d + stride),
                             _mm_shuffle_epi32(out, _MM_SHUFFLE(1, 1, 1, 1)));
        } else {
            __m128i first = _mm_unpacklo_epi64(s, s), second = _mm_unpackhi_epi64(s, s);
            auto* top = reinterpret_cast<__m128i*>(d);
            auto* bottom = reinterpret_cast<__m128i*>(d + stride);
            first = Over2(first, top);
            second = Over2(second, bottom);
            const __m128i out = _mm_packus_epi16(first, second);
            _mm_storel_epi64(top, out);
            _mm_storel_epi64(bottom, _mm_unpackhi_epi64(out, out));
        }
    }
    // A row whose samples are all zero: OVER keeps it, SRC clears it.
    void Clear(std::uint32_t* d, int count) const {
        if constexpr (kMode == Mode::kSrc) {
            std::fill(d, d + count, 0u);
        }
    }
};

__m128i Unpack(std::uint32_t texel) {
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(texel)), _mm_setzero_si128());
}

// The two rows a bilinear row of pixels blends and their weights: the
// bottom row weighs (vy >> 9) & 127 of 128. A row of zeros (NONE) or a
// weight of zero drops a row, so that only real rows are read.
struct RowPair {
    const std::uint32_t* top = nullptr;
    const std::uint32_t* bottom = nullptr;
    int topWeight = 0;
    int bottomWeight = 0;

    RowPair(const Source& s, std::int64_t vy) {
        const std::int64_t y = vy >> 16;
        bottomWeight = static_cast<int>((vy >> (16 - kWeightBits)) & (kWeightOne - 1));
        topWeight = kWeightOne - bottomWeight;
        top = s.Row(y);
        bottom = bottomWeight != 0 ? s.Row(y + 1) : nullptr;
        if (bottom == nullptr) {
            bottom = top;
            bottomWeight = 0;
        }
        if (top == nullptr) {
            top = bottom;
            topWeight = 0;
        }
    }
    bool Empty() const { return top == nullptr; }
};

// top * wt + bottom * wb for n texels, as 16-bit channels: exact, since
// 255 * 128 fits.
void BlendRows(const std::uint32_t* top, const std::uint32_t* bottom, __m128i wt, __m128i wb,
               std::int64_t n, std::uint16_t* out) {
    const __m128i zero = _mm_setzero_si128();
    auto blend = [&](__m128i t, __m128i b) {
        return _mm_add_epi16(_mm_mullo_epi16(t, wt), _mm_mullo_epi16(b, wb));
    };
    auto four = [&](std::int64_t i) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + i));
        auto* at = reinterpret_cast<__m128i*>(out + 4 * i);
        _mm_storeu_si128(at, blend(_mm_unpacklo_epi8(t, zero), _mm_unpacklo_epi8(b, zero)));
        _mm_storeu_si128(at + 1, blend(_mm_unpackhi_epi8(t, zero), _mm_unpackhi_epi8(b, zero)));
    };
    std::int64_t i = 0;
    for (; i + 3 < n; i += 4) {
        four(i);
    }
    // The last four again where there are four: each texel's blend is its
    // own, and one more step costs less than texels one by one.
    if (i < n && n >= 4) {
        four(n - 4);
        return;
    }
    for (; i < n; ++i) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 4 * i),
                         blend(Unpack(top[i]), Unpack(bottom[i])));
    }
}

// Four texels of BlendRowsWide.
[[gnu::target("avx2")]] inline void BlendFourWide(const std::uint32_t* top,
                                                  const std::uint32_t* bottom, __m256i wt,
                                                  __m256i wb, std::uint16_t* out) {
    const __m256i t = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(top)));
    const __m256i b =
        _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm256_add_epi16(_mm256_mullo_epi16(t, wt), _mm256_mullo_epi16(b, wb)));
}

// BlendRows, four texels a step in 256-bit registers.
[[gnu::target("avx2")]] void BlendRowsWide(const std::uint32_t* top, const std::uint32_t* bottom,
                                           __m128i wt, __m128i wb, std::int64_t n,
                                           std::uint16_t* out) {
    const __m256i wt2 = _mm256_broadcastsi128_si256(wt);
    const __m256i wb2 = _mm256_broadcastsi128_si256(wb);
    std::int64_t i = 0;
    for (; i + 3 < n; i += 4) {
        BlendFourWide(top + i, bottom + i, wt2, wb2, out + 4 * i);
    }
    // The last four again, as in BlendRows. The compiler made the call into
    // the 128-bit loop for the last texels a jump that left the upper halves
    // of the registers dirty, which slowed every 128-bit instruction after
    // it: a fifth of the echogram pane's time. Where the 128-bit loop is
    // still needed, the registers are cleared first.
    if (i < n) {
        if (n >= 4) {
            BlendFourWide(top + n - 4, bottom + n - 4, wt2, wb2, out + 4 * (n - 4));
        } else {
            _mm256_zeroupper();
            BlendRows(top, bottom, wt, wb, n, out);
        }
    }
}

// Whether n texels are all zero, looked at up to the first that is not.
bool EmptyTexels(const std::uint32_t* texels, std::int64_t n) {
    std::int64_t i = 0;
    for (; i + 7 < n; i += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + i + 4));
        if (!AllZero(_mm_or_si128(a, b))) {
            return false;
        }
    }
    for (; i < n; ++i) {
        if (texels[i] != 0) {
            return false;
        }
    }
    return true;
}

// Columns first .. first + count - 1 in stretches: inside(column, done, n)
// for n columns from the texture's column (false stops the walk), and
// outside(done, n) for n columns of zeros, up to the texture's left edge or
// to the end. False when stopped.
template <class Inside, class Outside>
bool ForStretches(const Source& s, std::int64_t first, std::int64_t count, Inside inside,
                  Outside outside) {
    for (std::int64_t done = 0; done < count;) {
        const std::int64_t x = first + done;
        const std::int64_t column = s.Column(x);
        std::int64_t n = count - done;
        if (column < 0) {
            n = x < 0 ? std::min(n, -x) : n;
            outside(done, n);
        } else {
            n = std::min(n, s.width - column);
            if (!inside(column, done, n)) {
                return false;
            }
        }
        done += n;
    }
    return true;
}

// Whether rows of the source are empty over columns first .. first +
// count - 1, as where an echogram shows nothing. The last two rows asked
// about are remembered: a row is asked about as a bottom row, then as a top.
class EmptyRows {
  public:
    EmptyRows(const Source& s, std::int64_t first, std::int64_t count)
        : s_(s), first_(first), count_(count) {}

    bool Both(const RowPair& rows) {
        return rows.Empty() || (Empty(rows.top) && Empty(rows.bottom));
    }

  private:
    bool Empty(const std::uint32_t* row) {
        for (int k = 0; k < 2; ++k) {
            if (rows_[k] == row) {
                return empty_[k];
            }
        }
        auto inside = [&](std::int64_t column, std::int64_t, std::int64_t n) {
            return EmptyTexels(row + column, n);
        };
        const bool empty =
            ForStretches(s_, first_, count_, inside, [](std::int64_t, std::int64_t) {});
        rows_[next_] = row;
        empty_[next_] = empty;
        next_ ^= 1;
        return empty;
    }

    const Source& s_;
    std::int64_t first_;
    std::int64_t count_;
    const std::uint32_t* rows_[2] = {nullptr, nullptr};
    bool empty_[2] = {false, false};
    int next_ = 0;
};

// The blended texels of columns first .. first + count - 1, wrapped or
// zero outside the texture.
template <bool kWide>
void BlendRange(const Source& s, const RowPair& rows, std::int64_t first, std::int64_t count,
                std::uint16_t* out) {
    if (rows.Empty()) {
        std::memset(out, 0, static_cast<std::size_t>(count) * 8);
        return;
    }
    const __m128i wt = _mm_set1_epi16(static_cast<short>(rows.topWeight));
    const __m128i wb = _mm_set1_epi16(static_cast<short>(rows.bottomWeight));
    auto blend = [&](std::int64_t column, std::int64_t done, std::int64_t n) {
        if constexpr (kWide) {
            BlendRowsWide(rows.top + column, rows.bottom + column, wt, wb, n, out + 4 * done);
        } else {
            BlendRows(rows.top + column, rows.bottom + column, wt, wb, n, out + 4 * done);
        }
        return true;
    };
    auto zeros = [&](std::int64_t done, std::int64_t n) {
        std::memset(out + 4 * done, 0, static_cast<std::size_t>(n) * 8);
    };
    ForStretches(s, first, count, blend, zeros);
}

// One pixel from two neighbouring blended texels (8 lanes) and its
// horizontal weights (128 - wr, wr in every lane pair): the lanes are
// interleaved left/right so that one multiply-add sums each channel, then
// truncated by 14 bits as pixman does.
__m128i BlendColumns(__m128i a, __m128i weights) {
    a = _mm_unpackhi_epi16(_mm_shuffle_epi32(a, _MM_SHUFFLE(1, 0, 3, 2)), a);
    return _mm_srli_epi32(_mm_madd_epi16(a, weights), 2 * kWeightBits);
}

__m128i HorizontalWeights(std::int64_t vx) {
    const int right = static_cast<int>((vx >> (16 - kWeightBits)) & (kWeightOne - 1));
    return _mm_set1_epi32((kWeightOne - right) | (right << 16));
}

// A register's worth kept in a table.
struct alignas(16) Lanes {
    std::int32_t values[4];
    __m128i Load() const { return _mm_load_si128(reinterpret_cast<const __m128i*>(values)); }
    void Store(__m128i v) { _mm_store_si128(reinterpret_cast<__m128i*>(values), v); }
};

struct Tile {
    std::uint32_t* dst;
    std::ptrdiff_t dstStride;  // in pixels
    int width;
    int height;
    std::int64_t vx;  // the first pixel's sample position
    std::int64_t vy;
    pixman_fixed_t unitX;
    pixman_fixed_t unitY;
};

constexpr int kNarrow = 4;  // pixels of a narrow row

// The samples of a narrow row near the texture's edges or across its wrap,
// texel by texel; false for a row of zeros. Kept out of line, so that the
// common rows keep their values in registers.
template <int samples>
[[gnu::noinline]] bool EdgeSamples(const Source& s, std::int64_t vy, const std::int64_t* left,
                                   const std::int64_t* right, const __m128i* across, __m128i* p) {
    const RowPair rows(s, vy);
    if (rows.Empty()) {
        return false;
    }
    const __m128i wt = _mm_set1_epi16(static_cast<short>(rows.topWeight));
    const __m128i wb = _mm_set1_epi16(static_cast<short>(rows.bottomWeight));
    for (int i = 0; i < samples; ++i) {
        auto texels = [&](const std::uint32_t* r) {
            return _mm_unpacklo_epi64(Unpack(left[i] < 0 ? 0u : r[left[i]]),
                                      Unpack(right[i] < 0 ? 0u : r[right[i]]));
        };
        p[i] = BlendColumns(_mm_add_epi16(_mm_mullo_epi16(texels(rows.top), wt),
                                          _mm_mullo_epi16(texels(rows.bottom), wb)),
                            across[i]);
    }
    return true;
}

// The rows [first, end) of a tile whose samples, starting at vy and
// stepping by unitY, lie on rows 0 .. inside - 1 of the texture: the rows
// whose two texel rows are both there. Empty when the step goes backwards.
void InsideRows(std::int64_t vy, pixman_fixed_t unitY, std::uint64_t inside, int height, int* first,
                int* end) {
    *first = *end = 0;
    const std::int64_t limit = static_cast<std::int64_t>(inside) << 16;  // first vy outside
    if (unitY < 0 || inside == 0) {
        return;
    }
    if (unitY == 0) {
        *end = vy >= 0 && vy < limit ? height : 0;
        return;
    }
    auto rowsBefore = [&](std::int64_t position) {  // rows j with vy + j * unitY < position
        if (vy >= position) {
            return std::int64_t{0};
        }
        return std::min<std::int64_t>(height, (position - vy + unitY - 1) / unitY);
    };
    *first = static_cast<int>(rowsBefore(0));
    *end = std::max(*first, static_cast<int>(rowsBefore(limit)));
}

// Rows of a few pixels, as the columns of an echogram whose sweeps each
// have a window of their own: each pixel blends its four texels directly,
// and a column that shows one sweep (no step across) blends once a row.
// Away from the texture's edges a pixel's two texels of a row are
// neighbours in memory, one load. pixels: the row's width when fixed for
// the compiler, else 0.
template <class Put, int samples, int pixels = samples>
void BilinearNarrow(const Put put, const Source& s, const Tile& t) {
    std::int64_t left[samples], right[samples];
    __m128i across[samples];
    bool neighbours = true;
    for (int i = 0; i < samples; ++i) {
        const std::int64_t vx = t.vx + std::int64_t{t.unitX} * i;
        left[i] = s.Column(vx >> 16);
        right[i] = s.Column((vx >> 16) + 1);
        across[i] = HorizontalWeights(vx);
        neighbours = neighbours && left[i] >= 0 && right[i] == left[i] + 1;
    }
    // Rows y < inside and the rows after them hold every pair side by side.
    const auto inside = static_cast<std::uint64_t>(neighbours ? s.height - 1 : 0);
    const std::uint32_t* const bits = s.bits;
    const std::ptrdiff_t stride = s.stride, dstStride = t.dstStride;
    const int width = pixels != 0 ? pixels : t.width, height = t.height;
    const pixman_fixed_t unitY = t.unitY;
    const __m128i downStep = _mm_set1_epi16(static_cast<short>(unitY & 0xFFFF));
    const __m128i one = _mm_set1_epi16(kWeightOne);
    const __m128i zero = _mm_setzero_si128();
    auto store = [&](std::uint32_t* dst, const __m128i* p) {
        if constexpr (samples == 1) {
            if constexpr (pixels == 1) {
                put.One(dst, _mm_packs_epi32(p[0], p[0]));
            } else if constexpr (pixels == 2) {
                put.Two(dst, _mm_packs_epi32(p[0], p[0]));
            } else {
                put.Fill(dst, width, _mm_packs_epi32(p[0], p[0]));
            }
        } else if constexpr (samples == 2) {
            put.Two(dst, _mm_packs_epi32(p[0], p[1]));
        } else if constexpr (samples == 3) {
            put.Two(dst, _mm_packs_epi32(p[0], p[1]));
            put.One(dst + 2, _mm_packs_epi32(p[2], p[2]));
        } else {
            put.Four(dst, _mm_packs_epi32(p[0], p[1]), _mm_packs_epi32(p[2], p[3]));
        }
    };
    // A row near the texture's edges or across its wrap.
    auto edgeRow = [&](std::int64_t vy, std::uint32_t* dst) {
        __m128i p[samples];
        if (EdgeSamples<samples>(s, vy, left, right, across, p)) {
            store(dst, p);
        } else {
            put.Clear(dst, width);
        }
    };
    // Rows [first, end) sample inside the texture's rows, with no check.
    int first = 0, end = 0;
    InsideRows(t.vy, unitY, inside, height, &first, &end);
    std::int64_t vy = t.vy;
    std::uint32_t* dst = t.dst;
    int j = 0;
    for (; j < first; ++j, vy += unitY, dst += dstStride) {
        edgeRow(vy, dst);
    }
    // The bottom row's weight, (vy >> 9) & 127, in every lane: the low 16
    // bits of vy step on their own.
    __m128i down = _mm_set1_epi16(static_cast<short>(vy & 0xFFFF));
    for (; j < end; ++j, vy += unitY, dst += dstStride) {
        const __m128i wb = _mm_srli_epi16(down, 16 - kWeightBits);
        down = _mm_add_epi16(down, downStep);
        const std::uint32_t* row = bits + (vy >> 16) * stride;
        const __m128i wt = _mm_sub_epi16(one, wb);
        __m128i p[samples];
        for (int i = 0; i < samples; ++i) {
            const std::uint32_t* at = row + left[i];
            const __m128i top = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at));
            const __m128i bottom = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at + stride));
            p[i] = BlendColumns(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(top, zero), wt),
                                              _mm_mullo_epi16(_mm_unpacklo_epi8(bottom, zero), wb)),
                                across[i]);
        }
        store(dst, p);
    }
    for (; j < height; ++j, vy += unitY, dst += dstStride) {
        edgeRow(vy, dst);
    }
}

// OVER of pixels as 16-bit channels onto the target's, as Combiner::Blend.
[[gnu::target("avx2")]] inline __m256i BlendWide(__m256i s, __m256i d) {
    // Each pixel's alpha in its four lanes, in one shuffle.
    const __m256i alpha = _mm256_shuffle_epi8(
        s, _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15, 6, 7, 6, 7, 6,
                            7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15));
    const __m256i t = _mm256_mullo_epi16(d, _mm256_xor_si256(alpha, _mm256_set1_epi16(0xFF)));
    return _mm256_adds_epu8(s, _mm256_mulhi_epu16(_mm256_adds_epu16(t, _mm256_set1_epi16(0x80)),
                                                  _mm256_set1_epi16(0x101)));
}

// Combiner::Solid for four pixels: the table holds OverTerm of each alpha
// on the colour, which the wide registers work out faster than they look up.
template <class Put>
[[gnu::target("avx2")]] inline __m256i SolidWide(const Put& put, __m256i v) {
    return BlendWide(v, _mm256_cvtepu8_epi16(_mm_set1_epi32(static_cast<int>(put.colour))));
}

// Two rows of a column of one sweep inside the texture, y0 in the low half
// and y1 in the high one, with their vertical weights: BlendColumns of their
// texels blended down, as BilinearColumn's rows. The one byte shuffle both
// widens a row's two texels and interleaves them channel by channel, as the
// horizontal multiply-add wants them: the blend adds the same products in
// another order, exactly. Each row's second load reads 16 bytes, two texels
// past the pair, so that it goes into the upper half without a shuffle.
[[gnu::target("avx2")]] inline __m256i TexelPairs(const std::uint32_t* low,
                                                  const std::uint32_t* high) {
    const __m256i interleave =
        _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1, 0, -1, 4, -1, 1,
                         -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
    return _mm256_shuffle_epi8(
        _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(low))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(high)), 1),
        interleave);
}

[[gnu::target("avx2")]] inline __m256i ColumnPair(const std::uint32_t* column,
                                                  std::ptrdiff_t stride, std::int64_t y0,
                                                  std::int64_t y1, __m256i wb, __m256i across) {
    const std::uint32_t* a0 = column + y0 * stride;
    const std::uint32_t* a1 = column + y1 * stride;
    const __m256i v = _mm256_add_epi16(
        _mm256_mullo_epi16(TexelPairs(a0, a1), _mm256_sub_epi16(_mm256_set1_epi16(kWeightOne), wb)),
        _mm256_mullo_epi16(TexelPairs(a0 + stride, a1 + stride), wb));
    return _mm256_srli_epi32(_mm256_madd_epi16(v, across), 2 * kWeightBits);
}

// The upper eight bytes of v at p, which need not be aligned: one store,
// without moving them down first (_mm_storeh_pd would claim an alignment).
inline void StoreHigh(std::uint32_t* p, __m128i v) {
    using UnalignedDouble [[gnu::aligned(1), gnu::may_alias]] = double;
    *reinterpret_cast<UnalignedDouble*>(p) = _mm_castsi128_pd(v)[1];
}

// Four rows' pixels, rows j and j + 2 in the low half of p and j + 1 and
// j + 3 in the high one, written where the pixels do not depend on the
// target's: each row's pixel goes to its place from where it lies, without
// moving it to the bottom of a register first.
template <int pixels>
[[gnu::target("avx2")]] inline void PutFourRows(std::uint32_t* dst, std::ptrdiff_t dstStride,
                                                __m256i p) {
    const __m256i bytes = _mm256_packus_epi16(p, p);
    if constexpr (pixels == 1) {
        const __m128i low = _mm256_castsi256_si128(bytes);
        const __m128i high = _mm256_extracti128_si256(bytes, 1);
        dst[0] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(low));
        dst[dstStride] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(high));
        dst[2 * dstStride] = static_cast<std::uint32_t>(_mm_extract_epi32(low, 1));
        dst[3 * dstStride] = static_cast<std::uint32_t>(_mm_extract_epi32(high, 1));
    } else {
        // Each pixel twice, side by side.
        const __m256i twice = _mm256_unpacklo_epi32(bytes, bytes);
        const __m128i low = _mm256_castsi256_si128(twice);
        const __m128i high = _mm256_extracti128_si256(twice, 1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), low);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + dstStride), high);
        StoreHigh(dst + 2 * dstStride, low);
        StoreHigh(dst + 3 * dstStride, high);
    }
}

// The first rows of a column of one sweep that all sample inside the
// texture, four at a time; returns how many it drew. vy is the first row's
// sample position. None where a row has no room for the 16-byte loads.
template <class Put, int pixels>
[[gnu::target("avx2")]] int ColumnRowsWide(const Put put, const std::uint32_t* column,
                                           std::ptrdiff_t stride, std::ptrdiff_t room,
                                           std::int64_t vy, pixman_fixed_t unitY, __m128i across,
                                           std::uint32_t* dst, std::ptrdiff_t dstStride, int rows) {
    if (room < 4) {
        return 0;
    }
    const std::int64_t u = unitY;
    auto fraction = [](std::int64_t position) {
        return _mm_set1_epi16(static_cast<short>(position & 0xFFFF));
    };
    // The positions' fractions: rows j and j + 1 in a, j + 2 and j + 3 in b.
    __m256i downA = _mm256_setr_m128i(fraction(vy), fraction(vy + u));
    __m256i downB = _mm256_setr_m128i(fraction(vy + 2 * u), fraction(vy + 3 * u));
    const __m256i step = _mm256_set1_epi16(static_cast<short>((4 * u) & 0xFFFF));
    const __m256i across2 = _mm256_broadcastsi128_si256(across);
    int j = 0;
    for (; j + 3 < rows; j += 4, vy += 4 * u, dst += 4 * dstStride) {
        const __m256i wbA = _mm256_srli_epi16(downA, 16 - kWeightBits);
        const __m256i wbB = _mm256_srli_epi16(downB, 16 - kWeightBits);
        downA = _mm256_add_epi16(downA, step);
        downB = _mm256_add_epi16(downB, step);
        // Rows j and j + 2 in the low half, j + 1 and j + 3 in the high one.
        const __m256i p = _mm256_packs_epi32(
            ColumnPair(column, stride, vy >> 16, (vy + u) >> 16, wbA, across2),
            ColumnPair(column, stride, (vy + 2 * u) >> 16, (vy + 3 * u) >> 16, wbB, across2));
        if constexpr (Put::kCombines == Mode::kOverSolid) {
            // OVER the colour in the wide registers, then written as it is.
            PutFourRows<pixels>(dst, dstStride, SolidWide(put, p));
        } else if constexpr (Put::kCombines == Mode::kSrc) {
            PutFourRows<pixels>(dst, dstStride, p);
        } else {
            put.template TwoRows<pixels>(dst, 2 * dstStride, _mm256_castsi256_si128(p));
            put.template TwoRows<pixels>(dst + dstStride, 2 * dstStride,
                                         _mm256_extracti128_si256(p, 1));
        }
    }
    return j;
}

// The rows [first, end) of a column of one sweep that sample inside the
// texture's rows, where its loops need no check.
struct InsideSpan {
    int first = 0;
    int end = 0;
};

// A column's two texels are neighbours in memory, away from the texture's
// edges and its wrap; rows y < inside then hold both.
std::uint64_t ColumnInsideRows(const Source& s, std::int64_t left, std::int64_t right) {
    return static_cast<std::uint64_t>(left >= 0 && right == left + 1 ? s.height - 1 : 0);
}

InsideSpan ColumnInside(const Source& s, const Tile& t) {
    const std::int64_t x = t.vx >> 16;
    InsideSpan span;
    InsideRows(t.vy, t.unitY, ColumnInsideRows(s, s.Column(x), s.Column(x + 1)), t.height,
               &span.first, &span.end);
    return span;
}

// The texel pair at at and the pair a row below, blended down with the
// bottom row's weight wb.
inline __m128i BlendedDown(const std::uint32_t* at, std::ptrdiff_t stride, __m128i wb) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at));
    const __m128i bottom = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at + stride));
    return _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(top, zero),
                                         _mm_sub_epi16(_mm_set1_epi16(kWeightOne), wb)),
                         _mm_mullo_epi16(_mm_unpacklo_epi8(bottom, zero), wb));
}

// A column that shows one sweep, one or two pixels wide, two rows at a
// time: the two rows' blends share the registers of the horizontal blend
// and of the OVER. Rows near the texture's edges go one at a time. Draws
// the tile's rows [from, to), span being ColumnInside's.
template <class Put, int pixels, bool kWide>
void BilinearColumn(const Put put, const Source& s, const Tile& t, InsideSpan span, int from,
                    int to) {
    const std::int64_t x = t.vx >> 16;
    const std::int64_t left = s.Column(x), right = s.Column(x + 1);
    const bool neighbours = left >= 0 && right == left + 1;
    const auto inside = ColumnInsideRows(s, left, right);
    const std::uint32_t* const column = s.bits + (neighbours ? left : 0);
    const std::ptrdiff_t stride = s.stride, dstStride = t.dstStride;
    const pixman_fixed_t unitY = t.unitY;
    const __m128i across = HorizontalWeights(t.vx);
    std::int64_t vy = t.vy + std::int64_t{unitY} * from;
    std::uint32_t* dst = t.dst + dstStride * from;
    __m128i down = _mm_set1_epi16(static_cast<short>(vy & 0xFFFF));
    const __m128i downStep = _mm_set1_epi16(static_cast<short>(unitY & 0xFFFF));
    auto vertical = [&](std::int64_t y, __m128i wb) {
        return BlendedDown(column + y * stride, stride, wb);
    };
    auto single = [&](std::int64_t vy, __m128i wb, std::uint32_t* dst) {
        __m128i p;
        const auto y = vy >> 16;
        if (static_cast<std::uint64_t>(y) < inside) {
            p = BlendColumns(vertical(y, wb), across);
        } else if (!EdgeSamples<1>(s, vy, &left, &right, &across, &p)) {
            put.Clear(dst, pixels);
            return;
        }
        p = _mm_packs_epi32(p, p);
        if constexpr (pixels == 1) {
            put.One(dst, p);
        } else {
            put.Two(dst, p);
        }
    };
    // Rows [first, end) sample inside the texture's rows: there the loop
    // takes two at a time with no check; the rest go one at a time.
    const int first = std::clamp(span.first, from, to);
    const int end = std::clamp(span.end, first, to);
    auto step = [&] {
        single(vy, _mm_srli_epi16(down, 16 - kWeightBits), dst);
        down = _mm_add_epi16(down, downStep);
        vy += unitY;
        dst += dstStride;
    };
    int j = from;
    for (; j < first; ++j) {
        step();
    }
    if constexpr (kWide) {
        // Texels from the pair's to the end of its row's memory.
        const std::ptrdiff_t room = neighbours ? s.stride - left : 0;
        const int n = ColumnRowsWide<Put, pixels>(put, column, stride, room, vy, unitY, across, dst,
                                                  dstStride, end - j);
        j += n;
        vy += std::int64_t{unitY} * n;
        dst += dstStride * n;
        down = _mm_set1_epi16(static_cast<short>(vy & 0xFFFF));
    }
    for (; j + 1 < end; j += 2, vy += 2 * std::int64_t{unitY}, dst += 2 * dstStride) {
        const __m128i wb = _mm_srli_epi16(down, 16 - kWeightBits);
        down = _mm_add_epi16(down, downStep);
        const __m128i wbNext = _mm_srli_epi16(down, 16 - kWeightBits);
        down = _mm_add_epi16(down, downStep);
        const __m128i v = vertical(vy >> 16, wb), vNext = vertical((vy + unitY) >> 16, wbNext);
        // Left texels of both rows, then right ones; interleaved per row.
        const __m128i l = _mm_unpacklo_epi64(v, vNext), r = _mm_unpackhi_epi64(v, vNext);
        const __m128i p =
            _mm_srli_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(l, r), across), 2 * kWeightBits);
        const __m128i pNext =
            _mm_srli_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(l, r), across), 2 * kWeightBits);
        put.template TwoRows<pixels>(dst, dstStride, _mm_packs_epi32(p, pNext));
    }
    for (; j < to; ++j) {
        step();
    }
}

template <class Put, int pixels, bool kWide>
void BilinearColumn(const Put put, const Source& s, const Tile& t) {
    BilinearColumn<Put, pixels, kWide>(put, s, t, ColumnInside(s, t), 0, t.height);
}

// Rows [from, to) of a bilinear column of one sweep one or two pixels wide.
template <class Put>
void ColumnRows(const Put put, const Source& s, const Tile& t, InsideSpan span, int from, int to) {
    const bool wide = WideVectors();
    if (t.width == 1) {
        wide ? BilinearColumn<Put, 1, true>(put, s, t, span, from, to)
             : BilinearColumn<Put, 1, false>(put, s, t, span, from, to);
    } else {
        wide ? BilinearColumn<Put, 2, true>(put, s, t, span, from, to)
             : BilinearColumn<Put, 2, false>(put, s, t, span, from, to);
    }
}

// Pixels i and i + 1 of a wide row as BlendColumns makes them, one in each half.
[[gnu::target("avx2")]] inline __m256i PixelPair(const std::uint16_t* blended,
                                                 const std::int32_t* offsets, const Lanes* weights,
                                                 int i) {
    const auto* left = reinterpret_cast<const __m128i*>(blended + offsets[i]);
    const auto* right = reinterpret_cast<const __m128i*>(blended + offsets[i + 1]);
    __m256i a = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(left)),
                                        _mm_loadu_si128(right), 1);
    a = _mm256_unpackhi_epi16(_mm256_shuffle_epi32(a, _MM_SHUFFLE(1, 0, 3, 2)), a);
    const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights + i));
    return _mm256_srli_epi32(_mm256_madd_epi16(a, w), 2 * kWeightBits);
}

// The first pixels of a wide row, eight at a time, as the loop of
// BilinearRows draws them; returns how many it drew. Two pixels share a
// register, one in each half; the halves are interleaved so that the packs,
// which work half by half, keep each pixel's channels together, and one
// permute puts the eight back in order.
template <class Put>
[[gnu::target("avx2")]] int PutRowWide(const Put put, std::uint32_t* dst, int width,
                                       const std::uint16_t* blended, const std::int32_t* offsets,
                                       const Lanes* weights) {
    // Pixels i, i+2, i+4, i+6 in the low half and i+1, i+3, ... in the high
    // one, and back.
    const __m256i spread = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    int i = 0;
    for (; i + 7 < width; i += 8) {
        __m256i a = _mm256_packs_epi32(PixelPair(blended, offsets, weights, i),
                                       PixelPair(blended, offsets, weights, i + 2));
        __m256i b = _mm256_packs_epi32(PixelPair(blended, offsets, weights, i + 4),
                                       PixelPair(blended, offsets, weights, i + 6));
        auto* at = reinterpret_cast<__m256i*>(dst + i);
        if constexpr (Put::kCombines == Mode::kOver) {
            const __m256i d = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(at), spread);
            a = BlendWide(a, _mm256_unpacklo_epi8(d, _mm256_setzero_si256()));
            b = BlendWide(b, _mm256_unpackhi_epi8(d, _mm256_setzero_si256()));
        } else if constexpr (Put::kCombines == Mode::kOverSolid) {
            a = SolidWide(put, a);
            b = SolidWide(put, b);
        }
        _mm256_storeu_si256(at, _mm256_permutevar8x32_epi32(_mm256_packus_epi16(a, b), order));
    }
    return i;
}

// The texels a row's pixels need, blended vertically once per row; then
// each pixel blends its two columns, whose offsets and weights every row
// shares.
template <class Put, bool kWide>
void BilinearRows(const Put put, const Source& s, const Tile& t) {
    const std::int64_t first = t.vx >> 16;
    const std::int64_t last = (t.vx + std::int64_t{t.unitX} * (t.width - 1)) >> 16;
    const std::int64_t count = last - first + 2;
    // Scratch kept between draws; taken by pointer, since every reach of a
    // thread_local in a shared library is a call.
    thread_local std::vector<std::uint16_t> blendedStore;
    thread_local std::vector<std::int32_t> offsetStore;
    thread_local std::vector<Lanes> weightStore;
    blendedStore.resize(static_cast<std::size_t>(count) * 4);
    offsetStore.resize(static_cast<std::size_t>(t.width));
    weightStore.resize(static_cast<std::size_t>(t.width));
    std::uint16_t* const blended = blendedStore.data();
    std::int32_t* const offsets = offsetStore.data();
    Lanes* const weights = weightStore.data();
    std::int64_t vx = t.vx;
    for (int i = 0; i < t.width; ++i, vx += t.unitX) {
        offsets[i] = static_cast<std::int32_t>(((vx >> 16) - first) * 4);
        weights[i].Store(HorizontalWeights(vx));
    }
    auto pixel = [&](int i) {
        return BlendColumns(_mm_loadu_si128(reinterpret_cast<const __m128i*>(blended + offsets[i])),
                            weights[i].Load());
    };
    EmptyRows empty(s, first, count);
    std::int64_t vy = t.vy;
    std::uint32_t* dst = t.dst;
    for (int j = 0; j < t.height; ++j, vy += t.unitY, dst += t.dstStride) {
        const RowPair rows(s, vy);
        if (rows.Empty()) {
            put.Clear(dst, t.width);
            continue;
        }
        // A row of empty samples, an echogram's background: OVER keeps
        // what is there.
        if (Put::kKeepsOnZero && empty.Both(rows)) {
            continue;
        }
        BlendRange<kWide>(s, rows, first, count, blended);
        int i = 0;
        if constexpr (kWide) {
            i = PutRowWide(put, dst, t.width, blended, offsets, weights);
        }
        for (; i + 3 < t.width; i += 4) {
            put.Four(dst + i, _mm_packs_epi32(pixel(i), pixel(i + 1)),
                     _mm_packs_epi32(pixel(i + 2), pixel(i + 3)));
        }
        for (; i < t.width; ++i) {
            const __m128i p = pixel(i);
            put.One(dst + i, _mm_packs_epi32(p, p));
        }
    }
}

// The first pixels of a nearest row whose columns all lie inside the
// texture, eight at a time; returns how many it drew.
template <class Put>
[[gnu::target("avx2")]] int NearestRowWide(const Put put, const std::uint32_t* row,
                                           const std::int64_t* columns, std::uint32_t* dst,
                                           int width) {
    const __m256i zero = _mm256_setzero_si256();
    int i = 0;
    for (; i + 7 < width; i += 8) {
        const __m256i texels = _mm256_setr_epi32(
            static_cast<int>(row[columns[i]]), static_cast<int>(row[columns[i + 1]]),
            static_cast<int>(row[columns[i + 2]]), static_cast<int>(row[columns[i + 3]]),
            static_cast<int>(row[columns[i + 4]]), static_cast<int>(row[columns[i + 5]]),
            static_cast<int>(row[columns[i + 6]]), static_cast<int>(row[columns[i + 7]]));
        // Pixels 0, 1, 4, 5 and 2, 3, 6, 7: the packs put them back in order.
        __m256i lo = _mm256_unpacklo_epi8(texels, zero);
        __m256i hi = _mm256_unpackhi_epi8(texels, zero);
        auto* at = reinterpret_cast<__m256i*>(dst + i);
        if constexpr (Put::kCombines == Mode::kOver) {
            const __m256i d = _mm256_loadu_si256(at);
            lo = BlendWide(lo, _mm256_unpacklo_epi8(d, zero));
            hi = BlendWide(hi, _mm256_unpackhi_epi8(d, zero));
        } else if constexpr (Put::kCombines == Mode::kOverSolid) {
            lo = SolidWide(put, lo);
            hi = SolidWide(put, hi);
        }
        _mm256_storeu_si256(at, _mm256_packus_epi16(lo, hi));
    }
    return i;
}

// pixman rounds nearest positions down, an exact half included (it steps
// from one 16.16 unit below the centre).
template <class Put>
void Nearest(const Put put, const Source& s, const Tile& t) {
    thread_local std::vector<std::int64_t> columnStore;
    columnStore.resize(static_cast<std::size_t>(t.width));
    std::int64_t* const columns = columnStore.data();
    bool inside = true;
    std::int64_t vx = t.vx - 1;
    for (int i = 0; i < t.width; ++i, vx += t.unitX) {
        columns[i] = s.Column(vx >> 16);
        inside = inside && columns[i] >= 0;
    }
    auto texel = [&](const std::uint32_t* row, int i) {
        return columns[i] >= 0 ? row[columns[i]] : 0u;
    };
    const __m128i zero = _mm_setzero_si128();
    const bool wide = WideVectors();
    std::int64_t vy = t.vy - 1;
    std::uint32_t* dst = t.dst;
    const std::uint32_t* previous = nullptr;
    for (int j = 0; j < t.height; ++j, vy += t.unitY, dst += t.dstStride) {
        const std::uint32_t* row = s.Row(vy >> 16);
        if (row == nullptr) {
            put.Clear(dst, t.width);
            previous = nullptr;
            continue;
        }
        // An enlarged texture repeats its rows: when the target's pixels do
        // not matter, the row drawn last is the row to draw.
        if (Put::kSourceOnly && row == previous) {
            std::memcpy(dst, dst - t.dstStride, static_cast<std::size_t>(t.width) * 4);
            continue;
        }
        previous = row;
        int i =
            inside && wide && t.width >= 8 ? NearestRowWide(put, row, columns, dst, t.width) : 0;
        if (inside) {
            for (; i + 3 < t.width; i += 4) {
                const __m128i texels = _mm_setr_epi32(
                    static_cast<int>(row[columns[i]]), static_cast<int>(row[columns[i + 1]]),
                    static_cast<int>(row[columns[i + 2]]), static_cast<int>(row[columns[i + 3]]));
                put.Four(dst + i, _mm_unpacklo_epi8(texels, zero), _mm_unpackhi_epi8(texels, zero));
            }
        }
        for (; i < t.width; ++i) {
            put.One(dst + i, Unpack(texel(row, i)));
        }
    }
}

template <class Put>
void Draw(const Put put, const Source& s, const Tile& t, bool bilinear) {
    if (!bilinear) {
        Nearest(put, s, t);
    } else if (t.unitX == 0) {
        // A column that shows one sweep, mostly one or two pixels wide.
        const bool wide = WideVectors();
        if (t.width == 1) {
            wide ? BilinearColumn<Put, 1, true>(put, s, t)
                 : BilinearColumn<Put, 1, false>(put, s, t);
        } else if (t.width == 2) {
            wide ? BilinearColumn<Put, 2, true>(put, s, t)
                 : BilinearColumn<Put, 2, false>(put, s, t);
        } else {
            BilinearNarrow<Put, 1, 0>(put, s, t);
        }
    } else if (t.width <= kNarrow) {
        // The sample count fixed, so that a row's loops unroll.
        switch (t.width) {
            case 1:
                BilinearNarrow<Put, 1>(put, s, t);
                break;
            case 2:
                BilinearNarrow<Put, 2>(put, s, t);
                break;
            case 3:
                BilinearNarrow<Put, 3>(put, s, t);
                break;
            default:
                BilinearNarrow<Put, 4>(put, s, t);
                break;
        }
    } else if (WideVectors()) {
        BilinearRows<Put, true>(put, s, t);
    } else {
        BilinearRows<Put, false>(put, s, t);
    }
}

bool Is32Bit(pixman_format_code_t f) {
    return f == PIXMAN_a8r8g8b8 || f == PIXMAN_x8r8g8b8;
}

}  // namespace

bool AllowWideVectors(bool allowed) {
    wideAllowed.store(allowed, std::memory_order_relaxed);
    return WideVectors();
}

// Target rows a band of kept columns spans: their pixels' lines and their
// texels' lines together stay within the first-level cache. Where a
// column's every band is set up again in full, in the 128-bit registers,
// the bands are twice as tall.
constexpr int kBandRows = 16;
constexpr int kNarrowBandRows = 32;

// What a kept column of one sweep, two texels side by side with room for
// ColumnRowsWide's loads, needs for its rows inside the texture, worked out
// once for all its bands.
struct InsideColumn {
    // Null where the pair is split by the texture's edge or wrap, or lies
    // too near the end of its row.
    const std::uint32_t* column = nullptr;
    std::ptrdiff_t room = 0;
    __m128i across{};
};

InsideColumn PrepareColumn(const Source& s, const Tile& t) {
    const std::int64_t x = t.vx >> 16;
    const std::int64_t left = s.Column(x), right = s.Column(x + 1);
    InsideColumn c;
    if (left >= 0 && right == left + 1 && s.stride - left >= 4) {
        c.column = s.bits + left;
        c.room = s.stride - left;
        c.across = HorizontalWeights(t.vx);
    }
    return c;
}

// Rows [from, to) of a prepared column, all inside the texture: four at a
// time in the wide registers, the last few one at a time. The same
// arithmetic as BilinearColumn's, without its set-up.
template <class Put, int pixels>
void InsideColumnRows(const Put put, const InsideColumn& c, const Source& s, const Tile& t,
                      int from, int to) {
    std::int64_t vy = t.vy + std::int64_t{t.unitY} * from;
    std::uint32_t* dst = t.dst + t.dstStride * from;
    const int n = ColumnRowsWide<Put, pixels>(put, c.column, s.stride, c.room, vy, t.unitY,
                                              c.across, dst, t.dstStride, to - from);
    vy += std::int64_t{t.unitY} * n;
    dst += t.dstStride * n;
    for (int j = from + n; j < to; ++j, vy += t.unitY, dst += t.dstStride) {
        const auto wb = static_cast<short>((vy & 0xFFFF) >> (16 - kWeightBits));
        __m128i p = BlendColumns(
            BlendedDown(c.column + (vy >> 16) * s.stride, s.stride, _mm_set1_epi16(wb)), c.across);
        p = _mm_packs_epi32(p, p);
        if constexpr (pixels == 1) {
            put.One(dst, p);
        } else {
            put.Two(dst, p);
        }
    }
}

// Rows [from, to) of a nearest column of one sweep, one or two pixels wide,
// whose pixels all show texel column column (-1 for zeros), as Nearest
// draws them.
template <class Put>
void NearestColumnRows(const Put put, const Source& s, const Tile& t, std::int64_t column, int from,
                       int to) {
    std::int64_t vy = t.vy - 1 + std::int64_t{t.unitY} * from;
    std::uint32_t* dst = t.dst + t.dstStride * from;
    for (int j = from; j < to; ++j, vy += t.unitY, dst += t.dstStride) {
        const std::uint32_t* row = s.Row(vy >> 16);
        if (row == nullptr) {
            put.Clear(dst, t.width);
            continue;
        }
        const __m128i p = Unpack(column >= 0 ? row[column] : 0u);
        for (int i = 0; i < t.width; ++i) {
            put.One(dst + i, p);
        }
    }
}

// The widest column kept: wider rows fill their lines themselves.
constexpr int kKeptWidth = 2;
// Columns kept at most before they are drawn, which bounds the memory a
// scene of many draws takes: a few echograms' worth.
constexpr std::size_t kMaxKept = 8192;

struct ColumnBatch::Column {
    Source source;
    Tile tile;
    int top;  // the target row of tile.dst
    Mode mode;
    std::uint32_t colour;  // kOverSolid
    bool bilinear;
    // A bilinear column of one sweep: its rows that need no check, found
    // once for all its bands.
    bool oneSweep;
    InsideSpan span;
    InsideColumn inside;  // for the wide registers
    // A nearest column of one sweep: the texel column it shows.
    bool nearestSweep;
    std::int64_t texelColumn;
};

ColumnBatch::ColumnBatch() = default;
ColumnBatch::~ColumnBatch() = default;

std::size_t ColumnBatch::Kept() const {
    return columns_.size();
}

void ColumnBatch::Flush() {
    if (columns_.empty()) {
        return;
    }
    int top = columns_.front().top, bottom = top;
    for (const Column& c : columns_) {
        top = std::min(top, c.top);
        bottom = std::max(bottom, c.top + c.tile.height);
    }
    // The sums of OVER onto the last colour looked up, for the columns that
    // blend with a cleared colour: mostly all of them, onto one.
    const std::uint64_t* terms = nullptr;
    std::uint32_t termsColour = 0;
    auto solid = [&](std::uint32_t colour) {
        if (terms == nullptr || colour != termsColour) {
            terms = OverTerms(colour);
            termsColour = colour;
        }
        Combiner<Mode::kOverSolid> put;
        put.terms = terms;
        put.colour = colour;
        return put;
    };
    const bool wide = WideVectors();
    const int rows = wide ? kBandRows : kNarrowBandRows;
    for (int band = top; band < bottom; band += rows) {
        const int end = band + rows;
        for (const Column& c : columns_) {
            const int from = std::max(band, c.top), to = std::min(end, c.top + c.tile.height);
            if (from >= to) {
                continue;
            }
            // The column's rows in the band sample where they would in the
            // whole column: each row's sample follows from its position.
            auto draw = [&](const auto put) {
                if (c.oneSweep) {
                    const int a = from - c.top, b = to - c.top;
                    if (wide && c.inside.column != nullptr && a >= c.span.first &&
                        b <= c.span.end) {
                        c.tile.width == 1 ? InsideColumnRows<decltype(put), 1>(
                                                put, c.inside, c.source, c.tile, a, b)
                                          : InsideColumnRows<decltype(put), 2>(
                                                put, c.inside, c.source, c.tile, a, b);
                    } else {
                        ColumnRows(put, c.source, c.tile, c.span, a, b);
                    }
                    return;
                }
                if (c.nearestSweep) {
                    NearestColumnRows(put, c.source, c.tile, c.texelColumn, from - c.top,
                                      to - c.top);
                    return;
                }
                Tile part = c.tile;
                part.dst += static_cast<std::ptrdiff_t>(from - c.top) * part.dstStride;
                part.vy += std::int64_t{part.unitY} * (from - c.top);
                part.height = to - from;
                Draw(put, c.source, part, c.bilinear);
            };
            switch (c.mode) {
                case Mode::kSrc:
                    draw(Combiner<Mode::kSrc>{});
                    break;
                case Mode::kOver:
                    draw(Combiner<Mode::kOver>{});
                    break;
                case Mode::kOverSolid:
                    draw(solid(c.colour));
                    break;
            }
        }
    }
    columns_.clear();
}

bool CompositeScaled(const ScaledDraw& draw, pixman_image_t* source, pixman_image_t* target, int x,
                     int y, int width, int height, ColumnBatch* batch) {
    // What is kept is drawn before anything else is, or handed to pixman.
    auto flush = [batch] {
        if (batch != nullptr) {
            batch->Flush();
        }
    };
    const pixman_transform_t& m = draw.transform;
    const bool scale = m.matrix[0][1] == 0 && m.matrix[1][0] == 0 && m.matrix[2][0] == 0 &&
                       m.matrix[2][1] == 0 && m.matrix[2][2] == pixman_fixed_1;
    // pixman drops an identity transform and then clips to the source.
    const bool identity = m.matrix[0][0] == pixman_fixed_1 && m.matrix[1][1] == pixman_fixed_1 &&
                          m.matrix[0][2] == 0 && m.matrix[1][2] == 0;
    const bool bilinear = draw.filter == PIXMAN_FILTER_BILINEAR;
    if (!scale || identity || m.matrix[0][0] < 0 ||
        (draw.op != PIXMAN_OP_OVER && draw.op != PIXMAN_OP_SRC) ||
        (!bilinear && draw.filter != PIXMAN_FILTER_NEAREST) ||
        (draw.repeat != PIXMAN_REPEAT_NONE && draw.repeat != PIXMAN_REPEAT_NORMAL) ||
        (bilinear && m.matrix[0][0] > kMaxBilinearUnit) ||
        !Is32Bit(pixman_image_get_format(source)) || !Is32Bit(pixman_image_get_format(target))) {
        flush();
        return false;
    }
    // pixman draws only what lies on the target, sampling from the first
    // pixel of the requested rectangle.
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + width, pixman_image_get_width(target));
    const int y1 = std::min(y + height, pixman_image_get_height(target));
    if (x0 >= x1 || y0 >= y1) {
        return true;
    }
    const pixman_fixed_t unitX = m.matrix[0][0], unitY = m.matrix[1][1];
    // Bilinear samples step from half a texel before the centre.
    const std::int64_t shift = bilinear ? pixman_fixed_1 / 2 : 0;
    Tile t{};
    t.width = x1 - x0;
    t.height = y1 - y0;
    t.unitX = unitX;
    t.unitY = unitY;
    t.vx = FirstCentre(unitX, m.matrix[0][2]) - shift + std::int64_t{unitX} * (x0 - x);
    t.vy = FirstCentre(unitY, m.matrix[1][2]) - shift + std::int64_t{unitY} * (y0 - y);
    if (!WithinLimit(t.vx, unitX, t.width + 1) || !WithinLimit(t.vy, unitY, t.height + 1)) {
        flush();
        return false;
    }
    t.dstStride = pixman_image_get_stride(target) / 4;
    t.dst = pixman_image_get_data(target) + y0 * t.dstStride + x0;
    const Source s{pixman_image_get_data(source), pixman_image_get_stride(source) / 4,
                   pixman_image_get_width(source), pixman_image_get_height(source),
                   draw.repeat == PIXMAN_REPEAT_NORMAL};
    const Mode mode = draw.op == PIXMAN_OP_SRC ? Mode::kSrc
                      : draw.solidTarget       ? Mode::kOverSolid
                                               : Mode::kOver;
    if (batch != nullptr && t.width <= kKeptWidth) {
        if (batch->columns_.size() == kMaxKept) {
            batch->Flush();
        }
        const bool oneSweep = bilinear && t.unitX == 0;
        const bool nearestSweep = !bilinear && t.unitX == 0;
        batch->columns_.push_back(
            ColumnBatch::Column{s, t, y0, mode, draw.solidTarget.value_or(0u), bilinear, oneSweep,
                                oneSweep ? ColumnInside(s, t) : InsideSpan{},
                                oneSweep ? PrepareColumn(s, t) : InsideColumn{}, nearestSweep,
                                nearestSweep ? s.Column((t.vx - 1) >> 16) : -1});
        return true;
    }
    flush();
    if (draw.op == PIXMAN_OP_SRC) {
        Draw(Combiner<Mode::kSrc>{}, s, t, bilinear);
    } else if (draw.solidTarget) {
        Combiner<Mode::kOverSolid> put;
        put.terms = OverTerms(*draw.solidTarget);
        put.colour = *draw.solidTarget;
        Draw(put, s, t, bilinear);
    } else {
        Draw(Combiner<Mode::kOver>{}, s, t, bilinear);
    }
    return true;
}

}  // namespace d3d9soft
