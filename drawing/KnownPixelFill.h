#pragma once
// A translucent, aliased polygon fill written straight into pixels whose
// values are known (SolidRows), giving what Cairo's blend would give: each
// known value under the polygon becomes one other value, found once with
// Cairo itself. A fill that would reach an unknown pixel draws nothing and
// reports it, so that the caller draws it through Cairo.
#include <cstdint>
#include <optional>
#include <vector>

#include "drawing/AliasedFillSpans.h"
#include "platform/CairoHandles.h"
#include "platform/SolidRows.h"
#include "platform/WinTypes.h"

class KnownPixelFill {
  public:
    // points: device fixed point, closed; area: where it may draw (clip and
    // surface). True when the polygon was drawn and the record updated.
    bool Fill(cairo_surface_t* surface, SolidRows& known,
              const std::vector<AliasedFillSpans::FixedPoint>& points, RECT area, COLORREF colour,
              BYTE opacity);

    // What Cairo leaves in a pixel of the format holding under after an
    // aliased fill over it in the colour and opacity; nothing when Cairo
    // could not say (no memory for its small surface).
    static std::optional<std::uint32_t> Blended(cairo_format_t format, std::uint32_t under,
                                                COLORREF colour, BYTE opacity);

  private:
    // The blend of under for the fill under way: found before any pixel is
    // written (Prepare), then only looked up.
    bool Prepare(std::uint32_t under);
    std::uint32_t Lookup(std::uint32_t under) const;

    AliasedFillSpans spans_;
    struct Pair {
        std::uint32_t under;
        std::uint32_t over;
    };
    std::vector<Pair> blends_;  // of the fill under way
    cairo_format_t format_ = CAIRO_FORMAT_RGB24;
    COLORREF colour_ = 0;
    BYTE opacity_ = 0;
};
