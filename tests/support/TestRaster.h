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
};

// False when GDAL could not write it.
bool WriteTestRaster(const std::string& path, const TestRaster& raster);
