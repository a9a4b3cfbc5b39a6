#include "host/geodata/BathymetryRaster.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "host/app/HostObjectsImpl.h"
#include "tests/support/HostRun.h"
#include "tests/support/TestRaster.h"

namespace {

constexpr double kDeg = M_PI / 180.0;

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("plotrex-raster-" + std::to_string(getpid()) + "-" + name))
        .string();
}

// Northing of a point on the central meridian of a UTM zone: the WGS84
// meridian arc by its series, times the scale factor there.
double UtmNorthingOnCentralMeridian(double latitudeDegrees) {
    const double a = 6378137.0;
    const double f = 1.0 / 298.257223563;
    const double e2 = f * (2.0 - f);
    const double e4 = e2 * e2;
    const double e6 = e4 * e2;
    const double p = latitudeDegrees * kDeg;
    const double arc = a * ((1 - e2 / 4 - 3 * e4 / 64 - 5 * e6 / 256) * p -
                            (3 * e2 / 8 + 3 * e4 / 32 + 45 * e6 / 1024) * std::sin(2 * p) +
                            (15 * e4 / 256 + 45 * e6 / 1024) * std::sin(4 * p) -
                            (35 * e6 / 3072) * std::sin(6 * p));
    return 0.9996 * arc;
}

// A 4 x 5 grid of 100 m cells in UTM zone 30 N astride its central meridian
// (3° W), elevations -(200 + 3 column + 2 row), no-data in column 3 of row 0.
constexpr double kUtmWest = 499870.0;
constexpr double kUtmNorth = 5261100.0;
TestRaster UtmElevations() {
    TestRaster raster;
    raster.width = 4;
    raster.height = 5;
    raster.geoTransform = {kUtmWest, 100.0, 0.0, kUtmNorth, 0.0, -100.0};
    raster.epsg = 32630;
    raster.noData = -32768.0;
    for (int row = 0; row < raster.height; ++row) {
        for (int column = 0; column < raster.width; ++column) {
            raster.values.push_back(row == 0 && column == 3 ? -32768.0
                                                            : -(200.0 + 3 * column + 2 * row));
        }
    }
    return raster;
}

// A 4 x 4 ASCII grid of 0.05° cells in WGS84 latitude and longitude (whose
// authority puts latitude first), depths 100 + 10 column + 5 row from
// 47.7° N 5.3° W, no-data in the south-east corner.
TestRaster GeographicDepths() {
    TestRaster raster;
    raster.driver = "AAIGrid";
    raster.width = 4;
    raster.height = 4;
    raster.geoTransform = {-5.3, 0.05, 0.0, 47.7, 0.0, -0.05};
    raster.epsg = 4326;
    raster.noData = -9999.0;
    for (int row = 0; row < raster.height; ++row) {
        for (int column = 0; column < raster.width; ++column) {
            raster.values.push_back(row == 3 && column == 3 ? -9999.0
                                                            : 100.0 + 10 * column + 5 * row);
        }
    }
    return raster;
}

class BathymetryRasterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(WriteTestRaster(utmPath_, UtmElevations()));
        ASSERT_TRUE(WriteTestRaster(gridPath_, GeographicDepths()));
    }
    void TearDown() override {
        for (const std::string& path : {utmPath_, gridPath_}) {
            std::filesystem::remove(path);
            std::filesystem::remove(path + ".aux.xml");
            std::filesystem::remove(std::filesystem::path(path).replace_extension(".prj"));
        }
    }
    std::unique_ptr<BathymetryRaster> Open(const std::string& path,
                                           RasterValues values = RasterValues::Auto) {
        auto opened = BathymetryRaster::Open(path, values);
        EXPECT_TRUE(opened) << opened.GetError().Message();
        return opened ? opened.Release() : nullptr;
    }

    std::string utmPath_ = TempPath("utm.tif");
    std::string gridPath_ = TempPath("grid.asc");
};

}  // namespace

// Bilinear sampling of a linear field gives the field itself at the position
// in cells, counted from the centre of the first cell; the outer half cell
// keeps the edge's value. Latitude and longitude swapped anywhere on the way
// would land outside both rasters.
TEST_F(BathymetryRasterTest, SamplesBilinearlyInTheRastersOwnCoordinates) {
    const auto utm = Open(utmPath_);
    const auto grid = Open(gridPath_);
    ASSERT_TRUE(utm && grid);
    EXPECT_TRUE(utm->ReadsElevations());
    EXPECT_FALSE(grid->ReadsElevations());

    // Easting 500 000 is 1.3 cells from the west edge of the UTM grid.
    auto utmDepth = [](double latitude) {
        const double row = (kUtmNorth - UtmNorthingOnCentralMeridian(latitude)) / 100.0;
        return 200.0 + 3.0 * (1.3 - 0.5) + 2.0 * (row - 0.5);
    };
    struct Case {
        const char* name;
        const BathymetryRaster* raster;
        double latitude;
        double longitude;
        std::optional<double> depth;
    };
    const Case cases[] = {
        {"UTM, 47.500 N", utm.get(), 47.5, -3.0, utmDepth(47.5)},
        {"UTM, 47.501 N", utm.get(), 47.501, -3.0, utmDepth(47.501)},
        {"UTM, beside the no-data cell", utm.get(), 47.502, -3.0, utmDepth(47.502)},
        {"UTM, touching the no-data cell", utm.get(), 47.502, -3.0 + 0.002, std::nullopt},
        {"UTM, north of it", utm.get(), 47.6, -3.0, std::nullopt},
        {"UTM, east of it", utm.get(), 47.5, -2.99, std::nullopt},
        {"grid, between four cells", grid.get(), 47.63, -5.21, 100.0 + 10 * 1.3 + 5 * 0.9},
        {"grid, outer half cell", grid.get(), 47.69, -5.29, 100.0},
        {"grid, centre of a cell beside no-data", grid.get(), 47.525, -5.175, 135.0},
        {"grid, touching no-data", grid.get(), 47.53, -5.16, std::nullopt},
        {"grid, north of it", grid.get(), 47.8, -5.2, std::nullopt},
        {"grid, west of it", grid.get(), 47.6, -5.4, std::nullopt},
        {"grid, latitude for longitude", grid.get(), -5.21, 47.63, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto depth = c.raster->DepthAt(c.latitude * kDeg, c.longitude * kDeg);
        ASSERT_EQ(depth.has_value(), c.depth.has_value()) << (depth ? *depth : 0.0);
        if (depth) {
            EXPECT_NEAR(*depth, *c.depth, 1e-3);
        }
    }
    // The deepest valid value: the no-data cells would be deeper.
    EXPECT_DOUBLE_EQ(utm->DeepestDepth(), 200.0 + 3 * 3 + 2 * 4);
    EXPECT_DOUBLE_EQ(grid->DeepestDepth(), 140.0);
}

// A grid over the raster's own bounds samples the centres of its cells; over
// a projected raster it agrees with the positions sampled one by one.
TEST_F(BathymetryRasterTest, SamplesAGridOverItsBounds) {
    const auto grid = Open(gridPath_);
    const auto utm = Open(utmPath_);
    ASSERT_TRUE(grid && utm);
    const GeoBox around{47.4995 * kDeg, -3.0035 * kDeg, 47.5035 * kDeg, -2.9985 * kDeg};
    const DepthGrid sampled = utm->SampleGrid(around, 70, 45);
    int inside = 0;
    for (int row = 0; row < sampled.rows; ++row) {
        const double latitude = around.north - (row + 0.5) * (around.north - around.south) / 45;
        for (int column = 0; column < sampled.columns; ++column) {
            const double longitude =
                around.west + (column + 0.5) * (around.east - around.west) / 70;
            const auto one = utm->DepthAt(latitude, longitude);
            const double many = sampled.At(column, row);
            SCOPED_TRACE(testing::Message() << "column " << column << ", row " << row);
            ASSERT_EQ(one.has_value(), !std::isnan(many));
            if (one) {
                EXPECT_NEAR(many, *one, 1e-3);
                ++inside;
            }
        }
    }
    EXPECT_GT(inside, 70 * 45 / 4);

    const GeoBox& bounds = grid->Bounds();
    EXPECT_NEAR(bounds.south, 47.5 * kDeg, 1e-9);
    EXPECT_NEAR(bounds.north, 47.7 * kDeg, 1e-9);
    EXPECT_NEAR(bounds.west, -5.3 * kDeg, 1e-9);
    EXPECT_NEAR(bounds.east, -5.1 * kDeg, 1e-9);
    const DepthGrid depths = grid->SampleGrid(bounds, 4, 4);
    ASSERT_EQ(depths.depths.size(), 16U);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            SCOPED_TRACE(testing::Message() << "column " << column << ", row " << row);
            if (row == 3 && column == 3) {
                EXPECT_TRUE(std::isnan(depths.At(column, row)));
            } else {
                EXPECT_NEAR(depths.At(column, row), 100.0 + 10 * column + 5 * row, 1e-6);
            }
        }
    }
}

TEST_F(BathymetryRasterTest, RefusesWhatHoldsNoDepth) {
    const std::string text = TempPath("text.tif");
    WriteFile(text, "not a raster\n");
    const std::string empty = TempPath("empty.tif");
    TestRaster nothing = UtmElevations();
    std::fill(nothing.values.begin(), nothing.values.end(), -32768.0);
    ASSERT_TRUE(WriteTestRaster(empty, nothing));
    // Two variables in one file: neither is the raster until named.
    const std::string variables = TempPath("variables.nc");
    TestRaster two = GeographicDepths();
    two.driver = "netCDF";
    two.bands = 2;
    ASSERT_TRUE(WriteTestRaster(variables, two));
    struct Case {
        std::string path;
        RasterValues values;
        const char* reason;
    };
    const Case cases[] = {
        {TempPath("missing.tif"), RasterValues::Auto, "cannot open"},
        {text, RasterValues::Auto, "cannot open"},
        {empty, RasterValues::Auto, "no valid value"},
        {variables, RasterValues::Auto, "give one of its variables, such as NETCDF:"},
        // Elevations below the sea read as depths are all above it.
        {utmPath_, RasterValues::Depths, "no depth below the sea"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto opened = BathymetryRaster::Open(c.path, c.values);
        ASSERT_FALSE(opened);
        const std::string& error = opened.GetError().Message();
        EXPECT_NE(error.find(c.path), std::string::npos) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(opened.GetError().ExitCode(), 2);
    }
    // The variable named in the refusal opens.
    const auto refused = BathymetryRaster::Open(variables, RasterValues::Auto);
    ASSERT_FALSE(refused);
    const std::string& error = refused.GetError().Message();
    const std::string named = error.substr(error.find("such as ") + 8);
    EXPECT_TRUE(BathymetryRaster::Open(named, RasterValues::Auto)) << named;
    std::filesystem::remove(text);
    std::filesystem::remove(empty);
    std::filesystem::remove(variables);
}

// The host's depth source over the raster, as the module asks it: every
// point filled, the undefined marker where the raster has no depth, false
// when none has one or for another kind of data.
TEST_F(BathymetryRasterTest, DepthSourceAnswersTheModulesQueries) {
    const auto grid = Open(gridPath_);
    ASSERT_TRUE(grid);
    ModelDepthSource source(grid.get(), grid->DeepestDepth());
    ModelDepthSource none(nullptr);
    EXPECT_TRUE(source.IsAvailable());
    EXPECT_FALSE(none.IsAvailable());
    EXPECT_DOUBLE_EQ(source.GetMaximumDepth(), 140.0);

    auto at = [](double latitude, double longitude) {
        return DepthQueryPoint{latitude * kDeg, longitude * kDeg, 0.0};
    };
    std::vector<DepthQueryPoint> points = {at(47.525, -5.175), at(47.53, -5.16), at(47.8, -5.2)};
    const double south = 47.5 * kDeg, west = -5.3 * kDeg, north = 47.7 * kDeg, east = -5.1 * kDeg;
    ASSERT_TRUE(source.QueryDepths(points, south, west, north, east, kDataKindDepth));
    EXPECT_NEAR(points[0].depth, 135.0, 1e-6);
    EXPECT_EQ(points[1].depth, kUndefined);
    EXPECT_EQ(points[2].depth, kUndefined);

    std::vector<DepthQueryPoint> outside = {at(47.8, -5.2)};
    EXPECT_FALSE(source.QueryDepths(outside, south, west, north, east, kDataKindDepth));
    EXPECT_FALSE(source.QueryDepths(points, south, west, north, east, kDataKindTemperature));
    EXPECT_FALSE(none.QueryDepths(points, south, west, north, east, kDataKindDepth));
    EXPECT_EQ(source.Queries(), 3);
    EXPECT_EQ(source.Answered(), 1);
}

namespace {

// A VRT of the given size over a small raster placed at (column, row) in it,
// with the geotransform written as given ("nan" included).
std::string WriteVrt(const std::string& path, const std::string& source, long long width,
                     long long height, const std::string& geoTransform, int column, int row,
                     int sourceSize) {
    const std::string size = std::to_string(sourceSize);
    WriteFile(path, "<VRTDataset rasterXSize=\"" + std::to_string(width) + "\" rasterYSize=\"" +
                        std::to_string(height) + "\">\n<SRS>EPSG:4326</SRS>\n<GeoTransform>" +
                        geoTransform +
                        "</GeoTransform>\n<VRTRasterBand dataType=\"Float32\" band=\"1\">\n"
                        "<NoDataValue>-32768</NoDataValue>\n<SimpleSource><SourceFilename>" +
                        source +
                        "</SourceFilename><SourceBand>1</SourceBand><SrcRect xOff=\"0\" "
                        "yOff=\"0\" xSize=\"" +
                        size + "\" ySize=\"" + size + "\"/><DstRect xOff=\"" +
                        std::to_string(column) + "\" yOff=\"" + std::to_string(row) +
                        "\" xSize=\"" + size + "\" ySize=\"" + size +
                        "\"/></SimpleSource>\n</VRTRasterBand>\n</VRTDataset>\n");
    return path;
}

}  // namespace

// Rasters declare their size before anything is read: a sparse GeoTIFF of a
// million by a million cells and a VRT of 2^31 - 1 columns open, find their
// depths and answer in the time of a small one, whatever they declare.
TEST_F(BathymetryRasterTest, OutsizedRastersOpenAndAnswerInBoundedTime) {
    const std::string sparse = TempPath("sparse.tif");
    // Cells of 0.00001 degree from 48 N 5 W; 60 m deep in 2048 by 2048 cells
    // around 43 N 0 E, nothing elsewhere.
    SparseRaster huge;
    huge.width = 1000000;
    huge.height = 1000000;
    huge.geoTransform = {-5.0, 0.00001, 0.0, 48.0, 0.0, -0.00001};
    huge.epsg = 4326;
    huge.column = 500000;
    huge.row = 500000;
    huge.columns = huge.rows = 2048;
    huge.value = 60.0;
    ASSERT_TRUE(WriteSparseRaster(sparse, huge));
    // 30 m deep in 64 by 64 cells of a VRT of 2^31 - 1 columns of 1/2^23 degree.
    TestRaster small;
    small.width = small.height = 64;
    small.geoTransform = {0.0, 1.0, 0.0, 0.0, 0.0, -1.0};
    small.values.assign(64 * 64, 30.0);
    const std::string source = TempPath("source.tif");
    ASSERT_TRUE(WriteTestRaster(source, small));
    const double cell = 1.0 / (1 << 23);
    char transform[128];
    std::snprintf(transform, sizeof transform, "-180, %.17g, 0, 60, 0, %.17g", cell, -cell);
    const std::string vrt =
        WriteVrt(TempPath("wide.vrt"), source, 2147483647LL, 4096, transform, 1 << 30, 2000, 64);
    struct Case {
        std::string path;
        double depth;
        double latitude;  // in the data
        double longitude;
    };
    const Case cases[] = {
        {sparse, 60.0, 43.0 - 0.005, 0.005},
        {vrt, 30.0, 60.0 - 2030 * cell, -180.0 + ((1 << 30) + 30) * cell},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto start = std::chrono::steady_clock::now();
        const auto raster = Open(c.path);
        ASSERT_TRUE(raster);
        EXPECT_DOUBLE_EQ(raster->DeepestDepth(), c.depth);
        const auto depth = raster->DepthAt(c.latitude * kDeg, c.longitude * kDeg);
        ASSERT_TRUE(depth);
        EXPECT_DOUBLE_EQ(*depth, c.depth);
        EXPECT_FALSE(raster->DepthAt((c.latitude - 0.1) * kDeg, c.longitude * kDeg));
        // A chart's grid over a box a hundred times the data's.
        const double span = 0.01;
        const DepthGrid grid =
            raster->SampleGrid(GeoBox{(c.latitude - span) * kDeg, (c.longitude - span) * kDeg,
                                      (c.latitude + span) * kDeg, (c.longitude + span) * kDeg},
                               640, 360);
        EXPECT_EQ(grid.depths.size(), 640u * 360u);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, 60.0);
    }
    for (const std::string& path : {sparse, vrt, source}) {
        std::filesystem::remove(path);
    }
}

// What no raster of the sea can be is refused with the reason: a geotransform
// that is no number, an extent beyond the globe, cells deeper than any sea.
// Such cells among good ones are no depth.
TEST_F(BathymetryRasterTest, WhatNoSeaRasterCanBeIsRefused) {
    TestRaster small;
    small.width = small.height = 4;
    small.geoTransform = {-5.0, 0.1, 0.0, 48.0, 0.0, -0.1};
    small.epsg = 4326;
    small.values.assign(16, 40.0);
    const std::string source = TempPath("small.tif");
    ASSERT_TRUE(WriteTestRaster(source, small));
    TestRaster abyss = small;
    abyss.float64 = true;
    abyss.values.assign(16, -1e300);
    const std::string abyssPath = TempPath("abyss.tif");
    ASSERT_TRUE(WriteTestRaster(abyssPath, abyss));
    TestRaster wide = small;
    wide.width = 1500;
    wide.height = 2;
    wide.geoTransform = {-500.0, 1.0, 0.0, 80.0, 0.0, -1.0};
    wide.values.assign(3000, 40.0);
    const std::string widePath = TempPath("wide.tif");
    ASSERT_TRUE(WriteTestRaster(widePath, wide));
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {WriteVrt(TempPath("nan.vrt"), source, 4, 4, "nan, 0.1, 0, 48, 0, -0.1", 0, 0, 4),
         "is not georeferenced"},
        {WriteVrt(TempPath("inf.vrt"), source, 4, 4, "-5, inf, 0, 48, 0, -0.1", 0, 0, 4),
         "is not georeferenced"},
        {widePath, "reaches beyond the globe (longitude -500 to 1000)"},
        {WriteVrt(TempPath("north.vrt"), source, 4, 4, "-5, 1, 0, 120, 0, -1", 0, 0, 4),
         "reaches beyond the globe (latitude 116 to 120)"},
        {abyssPath, "no valid value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto opened = BathymetryRaster::Open(c.path, RasterValues::Auto);
        ASSERT_FALSE(opened);
        EXPECT_NE(opened.GetError().Message().find(c.reason), std::string::npos)
            << opened.GetError().Message();
        EXPECT_EQ(opened.GetError().ExitCode(), 2);
        std::filesystem::remove(c.path);
    }
    // Among good cells, one of -1e300 is no depth, and no part of the range.
    abyss.values.assign(16, -120.0);
    abyss.values[5] = -1e300;
    ASSERT_TRUE(WriteTestRaster(abyssPath, abyss));
    const auto mixed = Open(abyssPath);
    ASSERT_TRUE(mixed);
    EXPECT_DOUBLE_EQ(mixed->DeepestDepth(), 120.0);
    EXPECT_FALSE(mixed->DepthAt((48.0 - 0.15) * kDeg, (-5.0 + 0.15) * kDeg));
    EXPECT_TRUE(mixed->DepthAt((48.0 - 0.35) * kDeg, (-5.0 + 0.35) * kDeg));
    std::filesystem::remove(abyssPath);
    std::filesystem::remove(source);
}
