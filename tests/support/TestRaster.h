#pragma once
// Small rasters written by GDAL itself, for the tests of the host's sea floor.
#include <array>
#include <optional>
#include <string>
#include <vector>

struct TestRaster {
    std::string driver = "GTiff";  // any driver that can copy a raster (AAIGrid...)
    int width = 0;
    int height = 0;
    std::array<double, 6> geoTransform{};
    int epsg = 0;                // 0: no coordinate system
    std::vector<double> values;  // row by row from the top
    std::optional<double> noData;
    int bands = 1;         // each with the same values
    bool float64 = false;  // cells of double precision, else single
};

// False when GDAL could not write it.
bool WriteTestRaster(const std::string& path, const TestRaster& raster);

// A raster of a declared size far beyond its data: a sparse tiled GeoTIFF
// of width by height cells (tiles of 1024) in which only one window of
// columns by rows cells at (column, row) holds a value; the rest has none.
struct SparseRaster {
    long long width = 0;
    long long height = 0;
    std::array<double, 6> geoTransform{};
    int epsg = 0;
    int column = 0;
    int row = 0;
    int columns = 0;
    int rows = 0;
    double value = 0.0;
};
bool WriteSparseRaster(const std::string& path, const SparseRaster& raster);
