#include "host/geodata/BathymetryRaster.h"

#include "host/geodata/RasterCells.h"
#include "host/geodata/SeaLimits.h"

#include <algorithm>
#include <cmath>
#include <deque>
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

using namespace raster_cells;

constexpr double kDegree = M_PI / 180.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The most cells read at once: 32 MB of doubles. Positions spread wider than
// that are read cell by cell.
constexpr long long kMostCellsAtOnce = 4LL * 1024 * 1024;
// A raster of up to this many cells is looked at whole when it is opened;
// a larger one in windows of at most kSampleSide cells a side, each within
// one of its blocks, spread over where it has data.
constexpr long long kMostCellsScanned = 64LL * 1024 * 1024;
constexpr int kSampleWindows = 256;
constexpr int kSampleSide = 256;
// Questions of where a raster has data, while the windows are spread.
constexpr int kMostCoverageQuestions = 4096;

// GDAL's own errors, kept quiet while a raster is opened and read.
class QuietErrors {
  public:
    QuietErrors() {
        CPLErrorReset();
        CPLPushErrorHandler(CPLQuietErrorHandler);
    }
    ~QuietErrors() { CPLPopErrorHandler(); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;
};

// GDAL's last error, to follow a message.
std::string LastGdalError() {
    const char* message = CPLGetLastErrorMsg();
    return message != nullptr && *message != '\0' ? std::string(": ") + message : std::string();
}

// What a scan of the raster's values found.
struct ValueCount {
    long long negative = 0;
    long long positive = 0;
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();

    void Add(const std::vector<double>& values) {
        for (const double value : values) {
            if (std::isnan(value)) {
                continue;
            }
            negative += value < 0.0;
            positive += value > 0.0;
            low = std::min(low, value);
            high = std::max(high, value);
        }
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

ErrorOr<std::unique_ptr<BathymetryRaster>> BathymetryRaster::Open(const std::string& path,
                                                                  RasterValues values) {
    RegisterDrivers();
    QuietErrors quiet;
    auto raster = std::make_unique<BathymetryRaster>(OpenOnly{});
    double toWorld[6] = {};
    if (ErrorOr<void> opened = raster->OpenDataset(path, toWorld); !opened) {
        return opened.GetError();
    }
    if (ErrorOr<void> placed = raster->PlaceOnEarth(path, toWorld); !placed) {
        return placed.GetError();
    }
    raster->ReadScaling();
    if (ErrorOr<void> scanned = raster->ScanValues(path, values); !scanned) {
        return scanned.GetError();
    }
    return raster;
}

ErrorOr<void> BathymetryRaster::OpenDataset(const std::string& path, double toWorld[6]) {
    dataset_.reset(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (dataset_ == nullptr) {
        return Error::Refused("cannot open the raster " + path + LastGdalError());
    }
    if (dataset_->GetRasterCount() < 1) {
        std::string error = "the raster " + path + " has no band";
        // A NetCDF or HDF file of several variables: name one of them.
        if (const char* first =
                CSLFetchNameValue(dataset_->GetMetadata("SUBDATASETS"), "SUBDATASET_1_NAME")) {
            error += " of its own; give one of its variables, such as " + std::string(first);
        }
        return Error::Refused(error);
    }
    band_ = dataset_->GetRasterBand(1);
    width_ = dataset_->GetRasterXSize();
    height_ = dataset_->GetRasterYSize();
    if (width_ < 1 || height_ < 1 || dataset_->GetGeoTransform(toWorld) != CE_None ||
        !std::all_of(toWorld, toWorld + 6, [](double v) { return std::isfinite(v); }) ||
        !GDALInvGeoTransform(toWorld, toPixel_) ||
        !std::all_of(toPixel_, toPixel_ + 6, [](double v) { return std::isfinite(v); })) {
        return Error::Refused("the raster " + path +
                              " is not georeferenced (no usable geotransform)");
    }
    return {};
}

ErrorOr<void> BathymetryRaster::PlaceOnEarth(const std::string& path, const double toWorld[6]) {
    // The extent in the raster's coordinates, from its four corners.
    double xs[4];
    double ys[4];
    for (int corner = 0; corner < 4; ++corner) {
        const double column = (corner & 1) ? width_ : 0;
        const double row = (corner & 2) ? height_ : 0;
        xs[corner] = toWorld[0] + column * toWorld[1] + row * toWorld[2];
        ys[corner] = toWorld[3] + column * toWorld[4] + row * toWorld[5];
    }
    minX_ = *std::min_element(xs, xs + 4);
    maxX_ = *std::max_element(xs, xs + 4);
    const double minY = *std::min_element(ys, ys + 4);
    const double maxY = *std::max_element(ys, ys + 4);

    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    // Longitude first, whatever the authority says of the axes: the
    // geotransform is always in that order too.
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference own;
    if (const OGRSpatialReference* srs = dataset_->GetSpatialRef(); srs != nullptr) {
        own = *srs;
    } else if (minX_ >= -180.0 - 1e-9 && maxX_ <= 360.0 + 1e-9 && minY >= -90.0 - 1e-9 &&
               maxY <= 90.0 + 1e-9) {
        // A grid without a coordinate system whose extent fits the earth in
        // degrees: latitude and longitude on WGS84.
        own = wgs84;
    } else {
        return Error::Refused("the raster " + path + " has no coordinate system");
    }
    own.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    geographic_ = own.IsGeographic();
    if (ErrorOr<void> onEarth = CheckOnTheGlobe(path, toWorld, minY, maxY); !onEarth) {
        return onEarth;
    }
    toRaster_.reset(OGRCreateCoordinateTransformation(&wgs84, &own));
    std::unique_ptr<OGRCoordinateTransformation, TransformDeleter> toWgs84(
        OGRCreateCoordinateTransformation(&own, &wgs84));
    double west = 0.0;
    double south = 0.0;
    double east = 0.0;
    double north = 0.0;
    if (toRaster_ == nullptr || toWgs84 == nullptr ||
        !toWgs84->TransformBounds(minX_, minY, maxX_, maxY, &west, &south, &east, &north, 21) ||
        !(south >= -90.0 && north <= 90.0 && south <= north && std::isfinite(west) &&
          std::isfinite(east))) {
        return Error::Refused("the raster " + path + " cannot be placed in latitude and longitude" +
                              LastGdalError());
    }
    bounds_ = {south * kDegree, west * kDegree, north * kDegree, east * kDegree};
    return {};
}

ErrorOr<void> BathymetryRaster::CheckOnTheGlobe(const std::string& path, const double toWorld[6],
                                                double minY, double maxY) const {
    if (!geographic_) {
        return {};
    }
    // A cell of slack each way, for grids whose cells are centred on the edges.
    const double slackX = std::abs(toWorld[1]) + std::abs(toWorld[2]) + 1e-9;
    const double slackY = std::abs(toWorld[4]) + std::abs(toWorld[5]) + 1e-9;
    if (minX_ < -360.0 - slackX || maxX_ > 360.0 + slackX || maxX_ - minX_ > 360.0 + 2 * slackX) {
        return Error::Refused("the raster " + path + " reaches beyond the globe (longitude " +
                              Number(minX_) + " to " + Number(maxX_) + ")");
    }
    if (minY < -90.0 - slackY || maxY > 90.0 + slackY) {
        return Error::Refused("the raster " + path + " reaches beyond the globe (latitude " +
                              Number(minY) + " to " + Number(maxY) + ")");
    }
    return {};
}

void BathymetryRaster::ReadScaling() {
    int hasNoData = 0;
    noData_ = band_->GetNoDataValue(&hasNoData);
    hasNoData_ = hasNoData != 0;
    int hasScale = 0;
    int hasOffset = 0;
    const double scale = band_->GetScale(&hasScale);
    const double offset = band_->GetOffset(&hasOffset);
    scale_ = hasScale && std::isfinite(scale) && scale != 0.0 ? scale : 1.0;
    offset_ = hasOffset && std::isfinite(offset) ? offset : 0.0;
}

ErrorOr<void> BathymetryRaster::ScanValues(const std::string& path, RasterValues values) {
    // The range, and the sign of most values when the caller leaves it open.
    ValueCount count;
    std::vector<double> cells;
    for (const CellBox& window : ScanWindows()) {
        if (!Read(window.column, window.row, window.columns, window.rows, cells)) {
            return Error::Refused("cannot read band 1 of the raster " + path + LastGdalError());
        }
        count.Add(cells);
    }
    if (!std::isfinite(count.low) || !std::isfinite(count.high)) {
        return Error::Refused("band 1 of the raster " + path +
                              " holds no valid value (only no-data, or values beyond any sea)");
    }
    elevations_ = values == RasterValues::Elevations ||
                  (values == RasterValues::Auto && count.negative > count.positive);
    deepest_ = elevations_ ? -count.low : count.high;
    shallowest_ = std::max(0.0, elevations_ ? -count.high : count.low);
    if (deepest_ <= 0.0) {
        return Error::Refused("the raster " + path +
                              " holds no depth below the sea (its values, read as " +
                              (elevations_ ? "elevations" : "depths") + ", run from " +
                              Number(count.low) + " to " + Number(count.high) + ")");
    }
    return {};
}

std::vector<BathymetryRaster::CellBox> BathymetryRaster::ScanWindows() const {
    std::vector<CellBox> windows;
    if (static_cast<long long>(width_) * height_ <= kMostCellsScanned) {
        // Whole, in windows of at most kMostCellsAtOnce cells.
        constexpr int kSide = 2048;
        for (int row = 0; row < height_; row += kSide) {
            for (int column = 0; column < width_; column += kSide) {
                windows.push_back({column, row, std::min(kSide, width_ - column),
                                   std::min(kSide, height_ - row)});
            }
        }
        return windows;
    }
    // Boxes halved, breadth first, while they may hold data: the windows
    // spread evenly over the raster, or over where a sparse one has data.
    std::deque<CellBox> boxes = {{0, 0, width_, height_}};
    int questions = 0;
    while (!boxes.empty() && static_cast<int>(windows.size() + boxes.size()) < kSampleWindows &&
           questions < kMostCoverageQuestions) {
        const CellBox box = boxes.front();
        boxes.pop_front();
        ++questions;
        if ((band_->GetDataCoverageStatus(box.column, box.row, box.columns, box.rows,
                                          GDAL_DATA_COVERAGE_STATUS_DATA) &
             GDAL_DATA_COVERAGE_STATUS_DATA) == 0) {
            continue;
        }
        if (box.columns <= kSampleSide && box.rows <= kSampleSide) {
            windows.push_back(box);
            continue;
        }
        // Halved each way that is longer than a window, rounded up without
        // passing 2^31 - 1.
        const int left = box.columns > kSampleSide ? box.columns - box.columns / 2 : box.columns;
        const int top = box.rows > kSampleSide ? box.rows - box.rows / 2 : box.rows;
        for (const CellBox& part :
             {CellBox{box.column, box.row, left, top},
              CellBox{box.column + left, box.row, box.columns - left, top},
              CellBox{box.column, box.row + top, left, box.rows - top},
              CellBox{box.column + left, box.row + top, box.columns - left, box.rows - top}}) {
            if (part.columns > 0 && part.rows > 0) {
                boxes.push_back(part);
            }
        }
    }
    // Boxes still to be looked into are sampled at their middle.
    for (const CellBox& box : boxes) {
        windows.push_back(WithinOneBlock(box));
    }
    return windows;
}

BathymetryRaster::CellBox BathymetryRaster::WithinOneBlock(const CellBox& box) const {
    int blockColumns = 0;
    int blockRows = 0;
    band_->GetBlockSize(&blockColumns, &blockRows);
    blockColumns = std::max(blockColumns, 1);
    blockRows = std::max(blockRows, 1);
    // The block under the box's middle, its part in the box, at most a
    // window's side each way around the middle.
    const long long middleColumn = box.column + box.columns / 2;
    const long long middleRow = box.row + box.rows / 2;
    const long long blockLeft = middleColumn / blockColumns * blockColumns;
    const long long blockTop = middleRow / blockRows * blockRows;
    const long long left =
        std::max({static_cast<long long>(box.column), blockLeft, middleColumn - kSampleSide / 2});
    const long long top =
        std::max({static_cast<long long>(box.row), blockTop, middleRow - kSampleSide / 2});
    const long long right = std::min({static_cast<long long>(box.column) + box.columns,
                                      blockLeft + blockColumns, left + kSampleSide});
    const long long bottom = std::min(
        {static_cast<long long>(box.row) + box.rows, blockTop + blockRows, top + kSampleSide});
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

bool BathymetryRaster::Read(int column, int row, int columns, int rows,
                            std::vector<double>& values) const {
    values.resize(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    if (band_->RasterIO(GF_Read, column, row, columns, rows, values.data(), columns, rows,
                        GDT_Float64, 0, 0, nullptr) != CE_None) {
        return false;
    }
    for (double& value : values) {
        if (hasNoData_ && value == noData_) {
            value = kNaN;
            continue;
        }
        value = value * scale_ + offset_;
        // No sea is deeper than its deepest trench, and no land higher.
        if (!(std::abs(value) <= kDeepestSeaMetres)) {
            value = kNaN;
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
    CellWindow covered{width_, -1, height_, -1};
    CellPlace at{};
    for (std::size_t i = 0; i < count; ++i) {
        if (PlaceInCells(px[i], py[i], width_, height_, at)) {
            covered.Widen(at, width_, height_);
        }
    }
    if (covered.lastColumn < 0) {
        return depths;
    }
    QuietErrors quiet;
    const bool oneRead = covered.Cells() <= kMostCellsAtOnce;
    std::vector<double> window;
    if (oneRead && !Read(covered.firstColumn, covered.firstRow, static_cast<int>(covered.Columns()),
                         static_cast<int>(covered.Rows()), window)) {
        return depths;
    }
    std::vector<double> four;
    for (std::size_t i = 0; i < count; ++i) {
        if (!PlaceInCells(px[i], py[i], width_, height_, at)) {
            continue;
        }
        const int columns = at.column + 1 < width_ ? 2 : 1;
        const int rows = at.row + 1 < height_ ? 2 : 1;
        if (!oneRead && !Read(at.column, at.row, columns, rows, four)) {
            continue;
        }
        const double value = Bilinear(at, columns, rows, [&](int dx, int dy) {
            return oneRead ? window[static_cast<std::size_t>(at.row + dy - covered.firstRow) *
                                        static_cast<std::size_t>(covered.Columns()) +
                                    static_cast<std::size_t>(at.column + dx - covered.firstColumn)]
                           : four[static_cast<std::size_t>(dy) * columns + dx];
        });
        const double depth = elevations_ ? -value : value;
        if (!std::isnan(value) && depth >= 0.0) {
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
    const GridGeometry geometry{box, columns, rows};
    const std::size_t total = static_cast<std::size_t>(columns) * rows;
    std::vector<double> px(total, kNaN);
    std::vector<double> py(total, kNaN);
    std::vector<std::size_t> exact;
    // Projections are smooth over a few pixels: only the nodes of a coarse
    // lattice are transformed, the points between them placed in the raster
    // by interpolation.
    Lattice lattice(columns, rows);
    ToPixels(lattice.Positions(geometry), lattice.x, lattice.y);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const std::size_t index = static_cast<std::size_t>(row) * columns + column;
            if (!lattice.Between(row, column, width_, px[index], py[index])) {
                exact.push_back(index);
            }
        }
    }
    if (!exact.empty()) {
        // Points where the lattice cannot be trusted are transformed themselves.
        std::vector<std::pair<double, double>> positions;
        positions.reserve(exact.size());
        for (const std::size_t index : exact) {
            positions.push_back(geometry.Position(static_cast<double>(index / columns),
                                                  static_cast<double>(index % columns)));
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
