#include "tests/support/TestRaster.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#pragma GCC diagnostic pop

#include <cstdint>

bool WriteTestRaster(const std::string& path, const TestRaster& raster) {
    GDALAllRegister();
    GDALDriver* memory = GetGDALDriverManager()->GetDriverByName("MEM");
    GDALDriver* target = GetGDALDriverManager()->GetDriverByName(raster.driver.c_str());
    if (memory == nullptr || target == nullptr ||
        raster.values.size() != static_cast<std::size_t>(raster.width) * raster.height) {
        return false;
    }
    GDALDatasetUniquePtr source(memory->Create("", raster.width, raster.height, raster.bands,
                                               raster.float64 ? GDT_Float64 : GDT_Float32,
                                               nullptr));
    std::array<double, 6> transform = raster.geoTransform;
    source->SetGeoTransform(transform.data());
    if (raster.epsg != 0) {
        OGRSpatialReference srs;
        srs.importFromEPSG(raster.epsg);
        source->SetSpatialRef(&srs);
    }
    for (int index = 1; index <= raster.bands; ++index) {
        GDALRasterBand* band = source->GetRasterBand(index);
        if (raster.noData) {
            band->SetNoDataValue(*raster.noData);
        }
        std::vector<double> values = raster.values;
        if (band->RasterIO(GF_Write, 0, 0, raster.width, raster.height, values.data(), raster.width,
                           raster.height, GDT_Float64, 0, 0, nullptr) != CE_None) {
            return false;
        }
    }
    GDALDatasetUniquePtr copy(
        target->CreateCopy(path.c_str(), source.get(), FALSE, nullptr, nullptr, nullptr));
    return copy != nullptr;
}

bool WriteSparseRaster(const std::string& path, const SparseRaster& raster) {
    GDALAllRegister();
    GDALDriver* tiff = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (tiff == nullptr || raster.width > INT32_MAX || raster.height > INT32_MAX) {
        return false;
    }
    const char* options[] = {"TILED=YES",      "BLOCKXSIZE=1024", "BLOCKYSIZE=1024",
                             "SPARSE_OK=TRUE", "BIGTIFF=YES",     "COMPRESS=DEFLATE",
                             nullptr};
    GDALDatasetUniquePtr dataset(tiff->Create(path.c_str(), static_cast<int>(raster.width),
                                              static_cast<int>(raster.height), 1, GDT_Float32,
                                              const_cast<char**>(options)));
    if (dataset == nullptr) {
        return false;
    }
    std::array<double, 6> transform = raster.geoTransform;
    dataset->SetGeoTransform(transform.data());
    if (raster.epsg != 0) {
        OGRSpatialReference srs;
        srs.importFromEPSG(raster.epsg);
        dataset->SetSpatialRef(&srs);
    }
    GDALRasterBand* band = dataset->GetRasterBand(1);
    band->SetNoDataValue(-32768.0);
    std::vector<double> values(static_cast<std::size_t>(raster.columns) * raster.rows,
                               raster.value);
    return band->RasterIO(GF_Write, raster.column, raster.row, raster.columns, raster.rows,
                          values.data(), raster.columns, raster.rows, GDT_Float64, 0, 0,
                          nullptr) == CE_None;
}
