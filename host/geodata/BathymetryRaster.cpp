#include "host/geodata/BathymetryRaster.h"

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
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#pragma GCC diagnostic pop

namespace {

constexpr double kDegree = M_PI / 180.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The most cells read at once: 32 MB of doubles. Positions spread wider than
// that are read cell by cell.
constexpr long long kMostCellsAtOnce = 4LL * 1024 * 1024;
// The most cells looked at when a raster is opened.
constexpr long long kMostCellsScanned = 64LL * 1024 * 1024;

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
        // A NetCDF or HDF file of several variables: name one of them.
        if (const char* first =
                CSLFetchNameValue(dataset.GetMetadata("SUBDATASETS"), "SUBDATASET_1_NAME")) {
            error += " of its own; give one of its variables, such as " + std::string(first);
        }
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
    // of most of them when the caller leaves it open. A raster too large to
    // read through at start (a world grid) is read one cell in step each way.
    const long long cellCount = static_cast<long long>(raster->width_) * raster->height_;
    const int step = static_cast<int>(std::ceil(std::sqrt(
        static_cast<double>(std::max(cellCount, kMostCellsScanned)) / kMostCellsScanned)));
    const int outWidth = (raster->width_ + step - 1) / step;
    const int outHeight = (raster->height_ + step - 1) / step;
    const int rowsAtOnce = static_cast<int>(std::max<long long>(1, kMostCellsAtOnce / outWidth));
    long long negative = 0;
    long long positive = 0;
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    std::vector<double> cells;
    for (int outRow = 0; outRow < outHeight; outRow += rowsAtOnce) {
        const int rows = std::min(rowsAtOnce, outHeight - outRow);
        const int row = outRow * step;
        if (!raster->Read(0, row, raster->width_, std::min(rows * step, raster->height_ - row),
                          cells, outWidth, rows)) {
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

bool BathymetryRaster::Read(int column, int row, int columns, int rows, std::vector<double>& values,
                            int outColumns, int outRows) const {
    outColumns = outColumns > 0 ? outColumns : columns;
    outRows = outRows > 0 ? outRows : rows;
    values.resize(static_cast<std::size_t>(outColumns) * outRows);
    if (band_->RasterIO(GF_Read, column, row, columns, rows, values.data(), outColumns, outRows,
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
    std::vector<double> px;
    std::vector<double> py;
    ToPixels(positions, px, py);
    return SampleAtPixels(px, py);
}

void BathymetryRaster::ToPixels(const std::vector<std::pair<double, double>>& positions,
                                std::vector<double>& px, std::vector<double>& py) const {
    const std::size_t count = positions.size();
    px.assign(count, kNaN);
    py.assign(count, kNaN);
    if (count == 0) {
        return;
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
    for (std::size_t i = 0; i < count; ++i) {
        if (!transformed[i] || !std::isfinite(xs[i]) || !std::isfinite(ys[i])) {
            continue;
        }
        double x = xs[i];
        if (geographic_ && (x < minX_ || x > maxX_)) {
            // A grid of 0..360 degrees, or one past the antimeridian.
            x += x < minX_ ? 360.0 : -360.0;
        }
        px[i] = toPixel_[0] + x * toPixel_[1] + ys[i] * toPixel_[2];
        py[i] = toPixel_[3] + x * toPixel_[4] + ys[i] * toPixel_[5];
    }
}

std::vector<double> BathymetryRaster::SampleAtPixels(const std::vector<double>& px,
                                                     const std::vector<double>& py) const {
    const std::size_t count = px.size();
    std::vector<double> depths(count, kNaN);
    // The cell north-west of a position, and the weights of the eastern and
    // southern ones; false outside the raster.
    struct Place {
        int column;
        int row;
        double tx;
        double ty;
    };
    auto place = [&](std::size_t i, Place& at) {
        if (!(px[i] >= 0.0 && px[i] <= width_ && py[i] >= 0.0 && py[i] <= height_)) {
            return false;
        }
        // Values sit at the centres of their cells; the outer half cell takes
        // the value of the edge.
        const double fx = std::clamp(px[i] - 0.5, 0.0, width_ - 1.0);
        const double fy = std::clamp(py[i] - 0.5, 0.0, height_ - 1.0);
        at.column = std::min(static_cast<int>(fx), width_ - 1);
        at.row = std::min(static_cast<int>(fy), height_ - 1);
        at.tx = fx - at.column;
        at.ty = fy - at.row;
        return true;
    };
    int firstColumn = width_;
    int lastColumn = -1;
    int firstRow = height_;
    int lastRow = -1;
    Place at{};
    for (std::size_t i = 0; i < count; ++i) {
        if (place(i, at)) {
            firstColumn = std::min(firstColumn, at.column);
            lastColumn = std::max(lastColumn, std::min(at.column + 1, width_ - 1));
            firstRow = std::min(firstRow, at.row);
            lastRow = std::max(lastRow, std::min(at.row + 1, height_ - 1));
        }
    }
    if (lastColumn < 0) {
        return depths;
    }

    QuietErrors quiet;
    const int windowColumns = lastColumn - firstColumn + 1;
    const long long windowCells = static_cast<long long>(windowColumns) * (lastRow - firstRow + 1);
    const bool oneRead = windowCells <= kMostCellsAtOnce;
    std::vector<double> window;
    if (oneRead && !Read(firstColumn, firstRow, windowColumns, lastRow - firstRow + 1, window)) {
        return depths;
    }
    std::vector<double> four;
    for (std::size_t i = 0; i < count; ++i) {
        if (!place(i, at)) {
            continue;
        }
        const int columns = at.column + 1 < width_ ? 2 : 1;
        const int rows = at.row + 1 < height_ ? 2 : 1;
        if (!oneRead && !Read(at.column, at.row, columns, rows, four)) {
            continue;
        }
        auto cell = [&](int dx, int dy) {
            return oneRead
                       ? window[static_cast<std::size_t>(at.row + dy - firstRow) * windowColumns +
                                (at.column + dx - firstColumn)]
                       : four[static_cast<std::size_t>(dy) * columns + dx];
        };
        // Only cells that weigh in: a position on a valid cell's centre keeps
        // its value beside a no-data neighbour.
        double value = 0.0;
        bool valid = true;
        for (int dy = 0; dy < rows && valid; ++dy) {
            const double wy = dy == 0 ? 1.0 - at.ty : at.ty;
            for (int dx = 0; dx < columns && valid; ++dx) {
                const double weight = wy * (dx == 0 ? 1.0 - at.tx : at.tx);
                if (weight == 0.0) {
                    continue;
                }
                const double v = cell(dx, dy);
                valid = !std::isnan(v);
                value += weight * v;
            }
        }
        const double depth = elevations_ ? -value : value;
        if (valid && depth >= 0.0) {
            depths[i] = depth;
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
    auto latitudeOf = [&](double row) {
        return box.north - (row + 0.5) * (box.north - box.south) / rows;
    };
    auto longitudeOf = [&](double column) {
        return box.west + (column + 0.5) * (box.east - box.west) / columns;
    };

    // Projections are smooth over a few pixels: only the nodes of a coarse
    // lattice are transformed, the points between them placed in the raster
    // by interpolation.
    constexpr int kStep = 16;
    auto nodes = [](int count) {
        std::vector<int> at;
        for (int i = 0; i < count - 1; i += kStep) {
            at.push_back(i);
        }
        at.push_back(count - 1);
        return at;
    };
    const std::vector<int> nodeColumns = nodes(columns);
    const std::vector<int> nodeRows = nodes(rows);
    std::vector<std::pair<double, double>> nodePositions;
    for (const int row : nodeRows) {
        for (const int column : nodeColumns) {
            nodePositions.emplace_back(latitudeOf(row), longitudeOf(column));
        }
    }
    std::vector<double> nodeX;
    std::vector<double> nodeY;
    ToPixels(nodePositions, nodeX, nodeY);

    const std::size_t total = static_cast<std::size_t>(columns) * rows;
    std::vector<double> px(total, kNaN);
    std::vector<double> py(total, kNaN);
    std::vector<std::size_t> exact;
    const std::size_t across = nodeColumns.size();
    for (int row = 0; row < rows; ++row) {
        const std::size_t k =
            std::min<std::size_t>(row / kStep, std::max<std::size_t>(nodeRows.size(), 2) - 2);
        const int r0 = nodeRows[k];
        const int r1 = nodeRows[std::min(k + 1, nodeRows.size() - 1)];
        const double ty = r1 > r0 ? static_cast<double>(row - r0) / (r1 - r0) : 0.0;
        for (int column = 0; column < columns; ++column) {
            const std::size_t j =
                std::min<std::size_t>(column / kStep, std::max<std::size_t>(across, 2) - 2);
            const int c0 = nodeColumns[j];
            const int c1 = nodeColumns[std::min(j + 1, across - 1)];
            const double tx = c1 > c0 ? static_cast<double>(column - c0) / (c1 - c0) : 0.0;
            const std::size_t corners[4] = {
                k * across + j, k * across + std::min(j + 1, across - 1),
                std::min(k + 1, nodeRows.size() - 1) * across + j,
                std::min(k + 1, nodeRows.size() - 1) * across + std::min(j + 1, across - 1)};
            const std::size_t index = static_cast<std::size_t>(row) * columns + column;
            // A corner that failed, or corners on both sides of a raster's
            // seam (the antimeridian): this point is transformed itself.
            double low = nodeX[corners[0]];
            double high = low;
            for (const std::size_t corner : corners) {
                low = std::min(low, nodeX[corner]);
                high = std::max(high, nodeX[corner]);
            }
            bool smooth = !std::isnan(low) && !std::isnan(high) && high - low < width_ / 2.0;
            for (const std::size_t corner : corners) {
                smooth = smooth && !std::isnan(nodeY[corner]);
            }
            if (!smooth) {
                exact.push_back(index);
                continue;
            }
            auto blend = [&](const std::vector<double>& at) {
                return (1 - ty) * ((1 - tx) * at[corners[0]] + tx * at[corners[1]]) +
                       ty * ((1 - tx) * at[corners[2]] + tx * at[corners[3]]);
            };
            px[index] = blend(nodeX);
            py[index] = blend(nodeY);
        }
    }
    if (!exact.empty()) {
        std::vector<std::pair<double, double>> positions;
        positions.reserve(exact.size());
        for (const std::size_t index : exact) {
            positions.emplace_back(latitudeOf(static_cast<double>(index / columns)),
                                   longitudeOf(static_cast<double>(index % columns)));
        }
        std::vector<double> exactX;
        std::vector<double> exactY;
        ToPixels(positions, exactX, exactY);
        for (std::size_t i = 0; i < exact.size(); ++i) {
            px[exact[i]] = exactX[i];
            py[exact[i]] = exactY[i];
        }
    }
    grid.depths = SampleAtPixels(px, py);
    return grid;
}

std::string BathymetryRaster::Describe() const {
    GDALDriver* driver = dataset_->GetDriver();
    return std::string(driver != nullptr ? driver->GetDescription() : "raster") + ", " +
           std::to_string(width_) + " x " + std::to_string(height_) + " cells";
}
