#pragma once
// The cells of a raster and grids laid over it: where a position falls among
// the cells, bilinear sampling that respects no-data, and the coarse lattice
// through which a grid's points are placed in the raster.
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "host/geodata/BathymetryRaster.h"

namespace raster_cells {

// A position's cell in the raster: the cell north-west of it, and the
// weights of the eastern and southern ones.
struct CellPlace {
    int column;
    int row;
    double tx;
    double ty;
};

// False outside a raster of width by height cells.
bool PlaceInCells(double px, double py, int width, int height, CellPlace& at);

// The cells that positions need, with their neighbours east and south.
struct CellWindow {
    int firstColumn;
    int lastColumn;
    int firstRow;
    int lastRow;

    void Widen(const CellPlace& at, int width, int height) {
        firstColumn = std::min(firstColumn, at.column);
        lastColumn = std::max(lastColumn, std::min(at.column + 1, width - 1));
        firstRow = std::min(firstRow, at.row);
        lastRow = std::max(lastRow, std::min(at.row + 1, height - 1));
    }
    // In 64 bits: a raster may declare 2^31 - 1 columns.
    long long Columns() const { return static_cast<long long>(lastColumn) - firstColumn + 1; }
    long long Rows() const { return static_cast<long long>(lastRow) - firstRow + 1; }
    long long Cells() const { return Columns() * Rows(); }
};

// Only cells that weigh in: a position on a valid cell's centre keeps its
// value beside a no-data neighbour. NaN when a cell that weighs in has none.
template <typename Cell>
double Bilinear(const CellPlace& at, int columns, int rows, Cell cell) {
    double value = 0.0;
    for (int dy = 0; dy < rows; ++dy) {
        const double wy = dy == 0 ? 1.0 - at.ty : at.ty;
        for (int dx = 0; dx < columns; ++dx) {
            const double weight = wy * (dx == 0 ? 1.0 - at.tx : at.tx);
            if (weight == 0.0) {
                continue;
            }
            const double v = cell(dx, dy);
            if (std::isnan(v)) {
                return std::numeric_limits<double>::quiet_NaN();
            }
            value += weight * v;
        }
    }
    return value;
}

// A grid of columns by rows over a box, each point at the centre of its cell.
struct GridGeometry {
    GeoBox box;
    int columns;
    int rows;

    std::pair<double, double> Position(double row, double column) const {
        return {box.north - (row + 0.5) * (box.north - box.south) / rows,
                box.west + (column + 0.5) * (box.east - box.west) / columns};
    }
};

// Every kStep-th row and column of a grid, and the last, with their places
// in the raster (x, y), row by row.
struct Lattice {
    static constexpr int kStep = 16;

    Lattice(int gridColumns, int gridRows) : columns(Nodes(gridColumns)), rows(Nodes(gridRows)) {}

    static std::vector<int> Nodes(int count) {
        std::vector<int> at;
        for (int i = 0; i < count - 1; i += kStep) {
            at.push_back(i);
        }
        at.push_back(count - 1);
        return at;
    }

    std::vector<std::pair<double, double>> Positions(const GridGeometry& geometry) const {
        std::vector<std::pair<double, double>> positions;
        for (const int row : rows) {
            for (const int column : columns) {
                positions.push_back(geometry.Position(row, column));
            }
        }
        return positions;
    }

    // The place of a grid point from the nodes around it; false where they
    // cannot be trusted.
    bool Between(int row, int column, int rasterWidth, double& px, double& py) const;

    std::vector<int> columns;
    std::vector<int> rows;
    std::vector<double> x;
    std::vector<double> y;
};

}  // namespace raster_cells
