#include "tests/support/TestRaster.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#pragma GCC diagnostic pop

bool WriteTestRaster(const std::string& path, const TestRaster& raster) {
    GDALAllRegister();
    GDALDriver* memory = GetGDALDriverManager()->GetDriverByName("MEM");
    GDALDriver* target = GetGDALDriverManager()->GetDriverByName(raster.driver.c_str());
    if (memory == nullptr || target == nullptr ||
        raster.values.size() != static_cast<std::size_t>(raster.width) * raster.height) {
        return false;
    }
    GDALDatasetUniquePtr source(
        memory->Create("", raster.width, raster.height, 1, GDT_Float32, nullptr));
    std::array<double, 6> transform = raster.geoTransform;
    source->SetGeoTransform(transform.data());
    if (raster.epsg != 0) {
        OGRSpatialReference srs;
        srs.importFromEPSG(raster.epsg);
        source->SetSpatialRef(&srs);
    }
    GDALRasterBand* band = source->GetRasterBand(1);
    if (raster.noData) {
        band->SetNoDataValue(*raster.noData);
    }
    std::vector<double> values = raster.values;
    if (band->RasterIO(GF_Write, 0, 0, raster.width, raster.height, values.data(), raster.width,
                       raster.height, GDT_Float64, 0, 0, nullptr) != CE_None) {
        return false;
    }
    GDALDatasetUniquePtr copy(
        target->CreateCopy(path.c_str(), source.get(), FALSE, nullptr, nullptr, nullptr));
    return copy != nullptr;
}
