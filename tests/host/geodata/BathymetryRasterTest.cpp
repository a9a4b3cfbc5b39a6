#include "host/geodata/BathymetryRaster.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
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
