#include "echo/ETROGRLayer.h"

#include "echo/CEtrModeManager.h"
#include "echo/ETROGRDataSource.h"
#include "echo/SounderLibrary.h"

namespace {

OgrFeaturePtr FetchProperties(std::int16_t set) {
    return OgrFeaturePtr(GetSounder()->GetProperties(set, 0));
}

}  // namespace

ETROGRLayer::ETROGRLayer(ETROGRDataSource* dataSource, const char* name)
    : dataSource_(dataSource), name_(name ? name : "") {
    empty_.reset(new OGRFeatureDefn(name_.c_str()));
    empty_->Reference();
    empty_->SetGeomType(wkbNone);
}

ETROGRLayer::~ETROGRLayer() {
    if (cached_ != nullptr) {
        // The definition is our clone: the feature holds the only reference.
        OGRFeatureDefn* definition = cached_->GetDefnRef();
        OGRFeature::DestroyFeature(cached_);
        cached_ = nullptr;
        if (definition != nullptr) {
            definition->Release();
        }
    }
}

void ETROGRLayer::BuildCachedFeature() {
    if (cached_ != nullptr) {
        return;
    }
    const std::int16_t set = GetEtrModeManager().IsLowFrequencySingle();
    OgrFeaturePtr record = FetchProperties(set);
    if (record == nullptr || record->GetDefnRef() == nullptr) {
        return;
    }
    OGRFeatureDefn* definition = record->GetDefnRef()->Clone();
    definition->Reference();
    // The record has no geometry; without a geometry field GDAL's SetFeature
    // has nothing to look at in the feature it is given.
    definition->SetGeomType(wkbNone);
    cached_ = OGRFeature::CreateFeature(definition);
    if (cached_ == nullptr) {
        definition->Release();
        return;
    }
    cached_->SetFID(0);
}

OGRGeometry* ETROGRLayer::GetSpatialFilter() {
    return nullptr;
}

void ETROGRLayer::SetSpatialFilter(OGRGeometry*) {}

void ETROGRLayer::SetSpatialFilter(int, OGRGeometry*) {}

void ETROGRLayer::ResetReading() {
    read_ = false;
}

OGRFeature* ETROGRLayer::GetNextFeature() {
    if (read_) {
        return nullptr;
    }
    read_ = true;
    return GetFeature(0);
}

OGRFeature* ETROGRLayer::GetFeature(GIntBig) {
    BuildCachedFeature();
    const std::int16_t set = GetEtrModeManager().IsLowFrequencySingle();
    if (modified_ || cached_ == nullptr || set != heldSet_) {
        OgrFeaturePtr record = FetchProperties(set);
        if (cached_ != nullptr && record != nullptr) {
            cached_->SetFrom(record.get(), TRUE);
            cached_->SetFID(0);
            heldSet_ = set;
        }
        modified_ = false;
    }
    return cached_ != nullptr ? cached_->Clone() : nullptr;
}

OGRErr ETROGRLayer::ISetFeature(OGRFeature* feature) {
    BuildCachedFeature();
    if (feature == nullptr) {
        return OGRERR_INVALID_HANDLE;
    }
    const std::int16_t set = GetEtrModeManager().IsLowFrequencySingle();
    const bool taken = GetSounder()->SetProperties(feature, set, 0) != 0;
    modified_ = true;
    if (!taken) {
        // The sounder kept its values; the next read shows them.
        return OGRERR_FAILURE;
    }
    if (cached_ != nullptr) {
        cached_->SetFrom(feature, TRUE);
        cached_->SetFID(0);
    }
    return OGRERR_NONE;
}

OGRFeatureDefn* ETROGRLayer::GetLayerDefn() {
    BuildCachedFeature();
    return cached_ != nullptr ? cached_->GetDefnRef() : empty_.get();
}

GIntBig ETROGRLayer::GetFeatureCount(int) {
    return 1;
}

int ETROGRLayer::TestCapability(const char*) {
    return FALSE;
}

GDALDataset* ETROGRLayer::GetDataset() {
    return dataSource_;
}
