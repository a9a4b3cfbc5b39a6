#include "host/geodata/RasterCells.h"

namespace raster_cells {

bool PlaceInCells(double px, double py, int width, int height, CellPlace& at) {
    if (!(px >= 0.0 && px <= width && py >= 0.0 && py <= height)) {
        return false;
    }
    // Values sit at the centres of their cells; the outer half cell takes the
    // value of the edge.
    const double fx = std::clamp(px - 0.5, 0.0, width - 1.0);
    const double fy = std::clamp(py - 0.5, 0.0, height - 1.0);
    at.column = std::min(static_cast<int>(fx), width - 1);
    at.row = std::min(static_cast<int>(fy), height - 1);
    at.tx = fx - at.column;
    at.ty = fy - at.row;
    return true;
}

bool Lattice::Between(int row, int column, int rasterWidth, double& px, double& py) const {
    const std::size_t across = columns.size();
    const std::size_t k =
        std::min<std::size_t>(row / kStep, std::max<std::size_t>(rows.size(), 2) - 2);
    const int r0 = rows[k];
    const int r1 = rows[std::min(k + 1, rows.size() - 1)];
    const double ty = r1 > r0 ? static_cast<double>(row - r0) / (r1 - r0) : 0.0;
    const std::size_t j =
        std::min<std::size_t>(column / kStep, std::max<std::size_t>(across, 2) - 2);
    const int c0 = columns[j];
    const int c1 = columns[std::min(j + 1, across - 1)];
    const double tx = c1 > c0 ? static_cast<double>(column - c0) / (c1 - c0) : 0.0;
    const std::size_t below = std::min(k + 1, rows.size() - 1);
    const std::size_t right = std::min(j + 1, across - 1);
    const std::size_t corners[4] = {k * across + j, k * across + right, below * across + j,
                                    below * across + right};
    // A corner that failed, or corners on both sides of a raster's seam (the
    // antimeridian): the point is not between them.
    double low = x[corners[0]];
    double high = low;
    for (const std::size_t corner : corners) {
        low = std::min(low, x[corner]);
        high = std::max(high, x[corner]);
    }
    bool smooth = !std::isnan(low) && !std::isnan(high) && high - low < rasterWidth / 2.0;
    for (const std::size_t corner : corners) {
        smooth = smooth && !std::isnan(y[corner]);
    }
    if (!smooth) {
        return false;
    }
    auto blend = [&](const std::vector<double>& at) {
        return (1 - ty) * ((1 - tx) * at[corners[0]] + tx * at[corners[1]]) +
               ty * ((1 - tx) * at[corners[2]] + tx * at[corners[3]]);
    };
    px = blend(x);
    py = blend(y);
    return true;
}

}  // namespace raster_cells
