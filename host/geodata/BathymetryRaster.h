#pragma once
// A sea floor read from a raster that GDAL can open (GeoTIFF, NetCDF, ASCII
// grid...): band 1, sampled bilinearly in the raster's own coordinate system
// at positions given in WGS84 latitude and longitude.
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/geodata/DepthModel.h"
#include "platform/Error.h"

class GDALDataset;
class GDALRasterBand;
class OGRCoordinateTransformation;

// A box of latitude and longitude in radians. East may lie beyond pi for a
// raster that runs past the antimeridian.
struct GeoBox {
    double south = 0.0;
    double west = 0.0;
    double north = 0.0;
    double east = 0.0;
};

// Depths on a grid over a GeoBox, row by row from the north edge, each at the
// centre of its cell; NaN where there is no depth.
struct DepthGrid {
    int columns = 0;
    int rows = 0;
    std::vector<double> depths;
    double At(int column, int row) const {
        return depths[static_cast<std::size_t>(row) * columns + column];
    }
};

// How the raster's values are read: depths (positive down), elevations
// (negative below the sea), or decided by the sign of most valid values.
enum class RasterValues { Auto, Depths, Elevations };

class BathymetryRaster final : public DepthModel {
    struct OpenOnly {
        explicit OpenOnly() = default;
    };

  public:
    explicit BathymetryRaster(OpenOnly);
    ~BathymetryRaster() override;
    BathymetryRaster(const BathymetryRaster&) = delete;
    BathymetryRaster& operator=(const BathymetryRaster&) = delete;

    // Refused when the file cannot be opened, has no band, no valid value
    // below the sea (none deeper than a sea can be), or cannot be placed on
    // the earth. Opening takes the same time whatever size the raster
    // declares: a large one is looked at in a bounded sample of windows.
    static ErrorOr<std::unique_ptr<BathymetryRaster>> Open(const std::string& path,
                                                           RasterValues values);

    // Depth in metres at a position in radians; none outside the raster, next
    // to a no-data cell (or one beyond any sea), or above the waterline.
    std::optional<double> DepthAt(double latitude, double longitude) const override;
    // The same for many (latitude, longitude) pairs, in one read of the raster;
    // NaN where there is no depth.
    std::vector<double> DepthsAt(const std::vector<std::pair<double, double>>& positions) const;
    // Depths on a grid of columns by rows over a box, for shading a chart.
    DepthGrid SampleGrid(const GeoBox& box, int columns, int rows) const;

    // Where the raster lies, in latitude and longitude.
    const GeoBox& Bounds() const { return bounds_; }
    // The deepest and the shallowest valid depth of the raster, metres (of a
    // sample of its cells when it has more than 64 million).
    double DeepestDepth() const { return deepest_; }
    double ShallowestDepth() const { return shallowest_; }
    bool ReadsElevations() const { return elevations_; }
    // "GTiff, 120 x 80 cells".
    std::string Describe() const;

  private:
    // A window of cells.
    struct CellBox {
        int column;
        int row;
        int columns;
        int rows;
    };

    // The steps of Open: the dataset and its band 1 with a geotransform of
    // numbers; the coordinate system and the bounds, on the globe; no-data,
    // scale and offset; the range and sign of the values.
    ErrorOr<void> OpenDataset(const std::string& path, double toWorld[6]);
    ErrorOr<void> PlaceOnEarth(const std::string& path, const double toWorld[6]);
    ErrorOr<void> CheckOnTheGlobe(const std::string& path, const double toWorld[6], double minY,
                                  double maxY) const;
    void ReadScaling();
    ErrorOr<void> ScanValues(const std::string& path, RasterValues values);
    // The windows the values are scanned in: the whole raster when it is
    // small, else a bounded sample, whatever size it declares.
    std::vector<CellBox> ScanWindows() const;
    // The part of a box in the raster's block under its middle, at most a
    // sample's side: one block read for it.
    CellBox WithinOneBlock(const CellBox& box) const;
    // Positions (latitude, longitude) in the raster's cells, counted from its
    // north-west corner; NaN where they cannot be placed.
    void ToPixels(const std::vector<std::pair<double, double>>& positions, std::vector<double>& px,
                  std::vector<double>& py) const;
    std::vector<double> SampleAtPixels(const std::vector<double>& px,
                                       const std::vector<double>& py) const;
    // The raster's values (scale and offset applied) in a window of cells;
    // NaN for no-data and for values beyond any sea.
    bool Read(int column, int row, int columns, int rows, std::vector<double>& values) const;

    struct DatasetCloser {
        void operator()(GDALDataset* dataset) const;
    };
    struct TransformDeleter {
        void operator()(OGRCoordinateTransformation* transform) const;
    };
    std::unique_ptr<GDALDataset, DatasetCloser> dataset_;
    std::unique_ptr<OGRCoordinateTransformation, TransformDeleter> toRaster_;
    GDALRasterBand* band_ = nullptr;  // owned by the dataset
    int width_ = 0;
    int height_ = 0;
    double toPixel_[6] = {};
    bool geographic_ = false;
    double minX_ = 0.0;
    double maxX_ = 0.0;
    bool hasNoData_ = false;
    double noData_ = 0.0;
    double scale_ = 1.0;
    double offset_ = 0.0;
    bool elevations_ = false;
    double deepest_ = 0.0;
    double shallowest_ = 0.0;
    GeoBox bounds_;
};
