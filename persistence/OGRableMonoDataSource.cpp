#include "persistence/OGRableMonoDataSource.h"

#include "persistence/OgrHeaders.h"

namespace {

constexpr const char* kGeometryColumns = "GEOMETRY_COLUMNS";
constexpr const char* kTableNameField = "F_TABLE_NAME";

// The catalogue layer, unfiltered and rewound; null when the source has none.
OGRLayer* RewoundCatalogue(GDALDataset& dataSource) {
    OGRLayer* catalogue = dataSource.GetLayerByName(kGeometryColumns);
    if (catalogue != nullptr) {
        catalogue->SetAttributeFilter(nullptr);
        catalogue->SetSpatialFilter(nullptr);
        catalogue->ResetReading();
    }
    return catalogue;
}

}  // namespace

OGRableMonoDataSource::~OGRableMonoDataSource() {
    SetDataSource(nullptr);
}

void OGRableMonoDataSource::SetDataSource(GDALDataset* dataSource) {
    if (dataSource_ != nullptr && dataSource_ != dataSource) {
        GDALClose(dataSource_);
    }
    dataSource_ = dataSource;
}

std::int32_t OGRableMonoDataSource::GetLayerCount() {
    if (dataSource_ == nullptr) {
        return 0;
    }
    OGRLayer* catalogue = RewoundCatalogue(*dataSource_);
    if (catalogue == nullptr) {
        return dataSource_->GetLayerCount();
    }
    const GIntBig count = catalogue->GetFeatureCount(TRUE);
    return count < 0 ? 0 : static_cast<std::int32_t>(count);
}

OGRLayer* OGRableMonoDataSource::GetLayer(std::int32_t index) {
    if (dataSource_ == nullptr || index < 0 || index >= GetLayerCount()) {
        return nullptr;
    }
    OGRLayer* catalogue = RewoundCatalogue(*dataSource_);
    if (catalogue == nullptr) {
        return dataSource_->GetLayer(index);
    }
    for (std::int32_t skipped = 0; skipped < index; ++skipped) {
        OgrFeaturePtr passed(catalogue->GetNextFeature());
        if (passed == nullptr) {
            return nullptr;
        }
    }
    OgrFeaturePtr row(catalogue->GetNextFeature());
    if (row == nullptr) {
        return nullptr;
    }
    const int field = row->GetFieldIndex(kTableNameField);
    if (field < 0 || !row->IsFieldSetAndNotNull(field)) {
        return nullptr;
    }
    return dataSource_->GetLayerByName(row->GetFieldAsString(field));
}

OGRLayer* OGRableMonoDataSource::GetLayerByName(const std::string& name) {
    return dataSource_ != nullptr ? dataSource_->GetLayerByName(name.c_str()) : nullptr;
}

OGRLayer* OGRableMonoDataSource::QueryLayer(std::int32_t, std::int32_t) {
    return nullptr;
}
