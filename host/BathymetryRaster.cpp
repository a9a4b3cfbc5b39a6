#include "host/BathymetryRaster.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <sstream>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#pragma GCC diagnostic pop

namespace {

constexpr double kDegree = M_PI / 180.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The most cells read at once: 32 MB of doubles. Positions spread wider than
// that are read cell by cell.
constexpr long long kMostCellsAtOnce = 4LL * 1024 * 1024;

// GDAL's own errors, kept quiet while a raster is opened and read, with the
// last one at hand for the message.
class QuietErrors {
  public:
    QuietErrors() {
        CPLErrorReset();
        CPLPushErrorHandler(CPLQuietErrorHandler);
    }
    ~QuietErrors() { CPLPopErrorHandler(); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;
    std::string Last() const {
        const char* message = CPLGetLastErrorMsg();
        return message != nullptr && *message != '\0' ? std::string(": ") + message : std::string();
    }
};

std::string Number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

void RegisterDrivers() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

}  // namespace

void BathymetryRaster::DatasetCloser::operator()(GDALDataset* dataset) const {
    GDALClose(dataset);
}

void BathymetryRaster::TransformDeleter::operator()(OGRCoordinateTransformation* transform) const {
    OGRCoordinateTransformation::DestroyCT(transform);
}

BathymetryRaster::BathymetryRaster(OpenOnly) {}

BathymetryRaster::~BathymetryRaster() = default;

std::unique_ptr<BathymetryRaster> BathymetryRaster::Open(const std::string& path,
                                                         RasterValues values, std::string& error) {
    RegisterDrivers();
    QuietErrors quiet;
    auto raster = std::make_unique<BathymetryRaster>(OpenOnly{});
    raster->dataset_.reset(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (raster->dataset_ == nullptr) {
        error = "cannot open the raster " + path + quiet.Last();
        return nullptr;
    }
    GDALDataset& dataset = *raster->dataset_;
    if (dataset.GetRasterCount() < 1) {
        error = "the raster " + path + " has no band";
        return nullptr;
    }
    raster->band_ = dataset.GetRasterBand(1);
    raster->width_ = dataset.GetRasterXSize();
    raster->height_ = dataset.GetRasterYSize();
    double toWorld[6] = {};
    if (raster->width_ < 1 || raster->height_ < 1 || dataset.GetGeoTransform(toWorld) != CE_None ||
        !GDALInvGeoTransform(toWorld, raster->toPixel_)) {
        error = "the raster " + path + " is not georeferenced (no usable geotransform)";
        return nullptr;
    }

    // The extent in the raster's coordinates, from its four corners.
    double xs[4];
    double ys[4];
    for (int corner = 0; corner < 4; ++corner) {
        const double column = (corner & 1) ? raster->width_ : 0;
        const double row = (corner & 2) ? raster->height_ : 0;
        xs[corner] = toWorld[0] + column * toWorld[1] + row * toWorld[2];
        ys[corner] = toWorld[3] + column * toWorld[4] + row * toWorld[5];
    }
    raster->minX_ = *std::min_element(xs, xs + 4);
    raster->maxX_ = *std::max_element(xs, xs + 4);
    const double minY = *std::min_element(ys, ys + 4);
    const double maxY = *std::max_element(ys, ys + 4);

    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    // Longitude first, whatever the authority says of the axes: the
    // geotransform is always in that order too.
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference own;
    if (const OGRSpatialReference* srs = dataset.GetSpatialRef(); srs != nullptr) {
        own = *srs;
    } else if (raster->minX_ >= -180.0 - 1e-9 && raster->maxX_ <= 360.0 + 1e-9 &&
               minY >= -90.0 - 1e-9 && maxY <= 90.0 + 1e-9) {
        // A grid without a coordinate system whose extent fits the earth in
        // degrees: latitude and longitude on WGS84.
        own = wgs84;
    } else {
        error = "the raster " + path + " has no coordinate system";
        return nullptr;
    }
    own.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    raster->geographic_ = own.IsGeographic();
    raster->toRaster_.reset(OGRCreateCoordinateTransformation(&wgs84, &own));
    std::unique_ptr<OGRCoordinateTransformation, TransformDeleter> toWgs84(
        OGRCreateCoordinateTransformation(&own, &wgs84));
    double west = 0.0;
    double south = 0.0;
    double east = 0.0;
    double north = 0.0;
    if (raster->toRaster_ == nullptr || toWgs84 == nullptr ||
        !toWgs84->TransformBounds(raster->minX_, minY, raster->maxX_, maxY, &west, &south, &east,
                                  &north, 21)) {
        error = "the raster " + path + " cannot be placed in latitude and longitude" + quiet.Last();
        return nullptr;
    }
    raster->bounds_ = {south * kDegree, west * kDegree, north * kDegree, east * kDegree};

    int hasNoData = 0;
    raster->noData_ = raster->band_->GetNoDataValue(&hasNoData);
    raster->hasNoData_ = hasNoData != 0;
    int hasScale = 0;
    int hasOffset = 0;
    const double scale = raster->band_->GetScale(&hasScale);
    const double offset = raster->band_->GetOffset(&hasOffset);
    raster->scale_ = hasScale && std::isfinite(scale) && scale != 0.0 ? scale : 1.0;
    raster->offset_ = hasOffset && std::isfinite(offset) ? offset : 0.0;

    // One pass over the values, a few rows at a time: the range, and the sign
    // of most of them when the caller leaves it open.
    long long negative = 0;
    long long positive = 0;
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    const int rowsAtOnce =
        static_cast<int>(std::max<long long>(1, kMostCellsAtOnce / raster->width_));
    std::vector<double> cells;
    for (int row = 0; row < raster->height_; row += rowsAtOnce) {
        const int rows = std::min(rowsAtOnce, raster->height_ - row);
        if (!raster->Read(0, row, raster->width_, rows, cells)) {
            error = "cannot read band 1 of the raster " + path + quiet.Last();
            return nullptr;
        }
        for (const double value : cells) {
            if (std::isnan(value)) {
                continue;
            }
            negative += value < 0.0;
            positive += value > 0.0;
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    if (!std::isfinite(low) || !std::isfinite(high)) {
        error = "band 1 of the raster " + path + " holds no valid value (only no-data)";
        return nullptr;
    }
    raster->elevations_ =
        values == RasterValues::Elevations || (values == RasterValues::Auto && negative > positive);
    raster->deepest_ = raster->elevations_ ? -low : high;
    raster->shallowest_ = std::max(0.0, raster->elevations_ ? -high : low);
    if (raster->deepest_ <= 0.0) {
        error = "the raster " + path + " holds no depth below the sea (its values, read as " +
                (raster->elevations_ ? "elevations" : "depths") + ", run from " + Number(low) +
                " to " + Number(high) + ")";
        return nullptr;
    }
    return raster;
}

bool BathymetryRaster::Read(int column, int row, int columns, int rows,
                            std::vector<double>& values) const {
    values.resize(static_cast<std::size_t>(columns) * rows);
    if (band_->RasterIO(GF_Read, column, row, columns, rows, values.data(), columns, rows,
                        GDT_Float64, 0, 0, nullptr) != CE_None) {
        return false;
    }
    for (double& value : values) {
        if ((hasNoData_ && value == noData_) || !std::isfinite(value)) {
            value = kNaN;
        } else {
            value = value * scale_ + offset_;
        }
    }
    return true;
}

std::optional<double> BathymetryRaster::DepthAt(double latitude, double longitude) const {
    const double depth = DepthsAt({{latitude, longitude}}).front();
    return std::isnan(depth) ? std::nullopt : std::optional<double>(depth);
}

std::vector<double> BathymetryRaster::DepthsAt(
    const std::vector<std::pair<double, double>>& positions) const {
    const std::size_t count = positions.size();
    std::vector<double> depths(count, kNaN);
    if (count == 0) {
        return depths;
    }
    std::vector<double> xs(count);
    std::vector<double> ys(count);
    for (std::size_t i = 0; i < count; ++i) {
        ys[i] = positions[i].first / kDegree;
        xs[i] = positions[i].second / kDegree;
    }
    std::vector<int> transformed(count, FALSE);
    {
        QuietErrors quiet;
        toRaster_->Transform(count, xs.data(), ys.data(), nullptr, transformed.data());
    }

    // The cells around each position, and the weights of the eastern and
    // southern ones.
    struct Sample {
        std::size_t index;
        int column;
        int row;
        double tx;
        double ty;
    };
    std::vector<Sample> samples;
    samples.reserve(count);
    int firstColumn = width_;
    int lastColumn = -1;
    int firstRow = height_;
    int lastRow = -1;
    for (std::size_t i = 0; i < count; ++i) {
        if (!transformed[i] || !std::isfinite(xs[i]) || !std::isfinite(ys[i])) {
            continue;
        }
        double x = xs[i];
        if (geographic_ && (x < minX_ || x > maxX_)) {
            // A grid of 0..360 degrees, or one past the antimeridian.
            x += x < minX_ ? 360.0 : -360.0;
        }
        const double px = toPixel_[0] + x * toPixel_[1] + ys[i] * toPixel_[2];
        const double py = toPixel_[3] + x * toPixel_[4] + ys[i] * toPixel_[5];
        if (!(px >= 0.0 && px <= width_ && py >= 0.0 && py <= height_)) {
            continue;
        }
        // Values sit at the centres of their cells; the outer half cell takes
        // the value of the edge.
        const double fx = std::clamp(px - 0.5, 0.0, width_ - 1.0);
        const double fy = std::clamp(py - 0.5, 0.0, height_ - 1.0);
        const int column = std::min(static_cast<int>(fx), width_ - 1);
        const int row = std::min(static_cast<int>(fy), height_ - 1);
        const Sample sample{i, column, row, fx - column, fy - row};
        samples.push_back(sample);
        firstColumn = std::min(firstColumn, column);
        lastColumn = std::max(lastColumn, std::min(column + 1, width_ - 1));
        firstRow = std::min(firstRow, row);
        lastRow = std::max(lastRow, std::min(row + 1, height_ - 1));
    }
    if (samples.empty()) {
        return depths;
    }

    QuietErrors quiet;
    const long long windowCells =
        static_cast<long long>(lastColumn - firstColumn + 1) * (lastRow - firstRow + 1);
    const bool oneRead = windowCells <= kMostCellsAtOnce;
    std::vector<double> window;
    if (oneRead && !Read(firstColumn, firstRow, lastColumn - firstColumn + 1,
                         lastRow - firstRow + 1, window)) {
        return depths;
    }
    std::vector<double> four;
    for (const Sample& s : samples) {
        const int columns = s.column + 1 < width_ ? 2 : 1;
        const int rows = s.row + 1 < height_ ? 2 : 1;
        auto cell = [&](int dx, int dy) {
            if (oneRead) {
                return window[static_cast<std::size_t>(s.row + dy - firstRow) *
                                  (lastColumn - firstColumn + 1) +
                              (s.column + dx - firstColumn)];
            }
            return four[static_cast<std::size_t>(dy) * columns + dx];
        };
        if (!oneRead && !Read(s.column, s.row, columns, rows, four)) {
            continue;
        }
        // Only cells that weigh in: a position on a valid cell's centre keeps
        // its value beside a no-data neighbour.
        double value = 0.0;
        bool valid = true;
        for (int dy = 0; dy < rows && valid; ++dy) {
            const double wy = dy == 0 ? 1.0 - s.ty : s.ty;
            for (int dx = 0; dx < columns && valid; ++dx) {
                const double weight = wy * (dx == 0 ? 1.0 - s.tx : s.tx);
                if (weight == 0.0) {
                    continue;
                }
                const double v = cell(dx, dy);
                valid = !std::isnan(v);
                value += weight * v;
            }
        }
        if (!valid) {
            continue;
        }
        const double depth = elevations_ ? -value : value;
        if (depth >= 0.0) {
            depths[s.index] = depth;
        }
    }
    return depths;
}

DepthGrid BathymetryRaster::SampleGrid(const GeoBox& box, int columns, int rows) const {
    DepthGrid grid;
    if (columns < 1 || rows < 1) {
        return grid;
    }
    grid.columns = columns;
    grid.rows = rows;
    std::vector<std::pair<double, double>> positions;
    positions.reserve(static_cast<std::size_t>(columns) * rows);
    for (int row = 0; row < rows; ++row) {
        const double latitude = box.north - (row + 0.5) * (box.north - box.south) / rows;
        for (int column = 0; column < columns; ++column) {
            positions.emplace_back(latitude,
                                   box.west + (column + 0.5) * (box.east - box.west) / columns);
        }
    }
    grid.depths = DepthsAt(positions);
    return grid;
}

std::string BathymetryRaster::Describe() const {
    GDALDriver* driver = dataset_->GetDriver();
    return std::string(driver != nullptr ? driver->GetDescription() : "raster") + ", " +
           std::to_string(width_) + " x " + std::to_string(height_) + " cells";
}
