#include "echo/EtrPaneLayout.h"

#include <cmath>

#include "echo/EtrTextureRing.h"
#include "echo/ZxEtrEchoContainer.h"
#include "layout/LinearPixelProjection.h"

namespace {

constexpr double kNotPlaced = -1.0;

}  // namespace

EtrPaneLayout LayOutTrackPane(ZxEtrEchoContainer& store, const EtrTextureRing& ring,
                              const LinearPixelProjection& x, const LinearPixelProjection& y,
                              std::vector<EtrColumn>& columns) {
    columns.clear();
    if (store.size() < 2) {
        return EtrPaneLayout::kNothing;
    }
    for (const ZxEtrEcho& sweep : store) {
        if (columns.size() == EtrTextureRing::kRows) {
            break;
        }
        if (sweep.distance == kNotPlaced) {
            continue;
        }
        const std::optional<std::uint32_t> row = ring.RowOf(sweep.number);
        if (!row) {
            columns.clear();
            return EtrPaneLayout::kMissingRow;
        }
        columns.push_back(EtrColumn{x.ToPixel(sweep.distance), y.ToPixel(sweep.windowTop),
                                    y.ToPixel(sweep.windowBottom), sweep.sampleCount, *row});
    }
    return columns.size() >= 2 ? EtrPaneLayout::kColumns : EtrPaneLayout::kNothing;
}

EtrPaneLayout LayOutPixelPane(RECT area, ZxEtrEchoContainer& store, const EtrTextureRing& ring,
                              bool bottomFixed, std::vector<EtrColumn>& columns) {
    columns.clear();
    const std::size_t n = store.size();
    if (n < 2) {
        return EtrPaneLayout::kNothing;
    }
    columns.resize(n);
    store.SeekFromNewest(0);
    const ZxEtrEcho* newest = nullptr;
    double rt = 0.0;
    double rb = 0.0;
    std::size_t k = 0;
    while (const ZxEtrEcho* sweep = store.NextOlder()) {
        if (k == n) {
            break;
        }
        if (newest == nullptr) {
            newest = sweep;
            rt = sweep->windowTop;
            rb = sweep->windowBottom;
            // The newest window spans the area: without a height it maps nothing.
            if (!bottomFixed && !(std::isfinite(rt) && std::isfinite(rb) && rt != rb)) {
                columns.clear();
                return EtrPaneLayout::kNothing;
            }
        }
        const std::optional<std::uint32_t> row = ring.RowOf(sweep->number);
        if (!row) {
            columns.clear();
            return EtrPaneLayout::kMissingRow;
        }
        EtrColumn& column = columns[n - 1 - k];
        column.x = static_cast<double>(area.right) - kPixelsPerSweep * static_cast<double>(k);
        if (bottomFixed) {
            column.top = area.top;
            column.bottom = area.bottom;
        } else {
            const double height = static_cast<double>(area.top) - area.bottom;
            column.top = area.bottom + (sweep->windowTop - rb) / (rt - rb) * height;
            column.bottom = area.bottom + (sweep->windowBottom - rb) / (rt - rb) * height;
        }
        column.sampleCount = sweep->sampleCount;
        column.row = *row;
        ++k;
    }
    // Columns were filled from the right: any never reached are at the front.
    columns.erase(columns.begin(), columns.begin() + static_cast<std::ptrdiff_t>(n - k));
    return columns.size() >= 2 ? EtrPaneLayout::kColumns : EtrPaneLayout::kNothing;
}
