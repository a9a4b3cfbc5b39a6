#pragma once
// The sounder's property record as a one-feature OGR layer, "ETR_PROPERTIES".
// The values are fetched from the sounder when stale and written back through
// it; which of its two property sets is shown follows the frequency mode.
// GDAL's own SetFeature reads the layer's definition before it reaches
// ISetFeature, so the layer always has one: the record's fields once the
// sounder gave one, an empty definition until then; neither has geometry.
#include <string>

#include "persistence/OgrHeaders.h"

class ETROGRDataSource;

class ETROGRLayer : public OGRLayer {
  public:
    ETROGRLayer(ETROGRDataSource* dataSource, const char* name);
    ~ETROGRLayer() override;
    ETROGRLayer(const ETROGRLayer&) = delete;
    ETROGRLayer& operator=(const ETROGRLayer&) = delete;

    OGRGeometry* GetSpatialFilter() override;
    void SetSpatialFilter(OGRGeometry* geometry) override;
    void SetSpatialFilter(int geometryField, OGRGeometry* geometry) override;
    void ResetReading() override;
    OGRFeature* GetNextFeature() override;
    OGRFeature* GetFeature(GIntBig id) override;
    OGRFeatureDefn* GetLayerDefn() override;
    GIntBig GetFeatureCount(int force) override;
    int TestCapability(const char* capability) override;
    const char* GetName() override { return name_.c_str(); }
    GDALDataset* GetDataset() override;

    void MarkModified() { modified_ = true; }
    bool IsModified() const { return modified_; }
    std::int32_t GetStatus() const { return status_; }

  protected:
    OGRErr ISetFeature(OGRFeature* feature) override;

  private:
    // Builds the cached feature from the sounder's record when there is none.
    void BuildCachedFeature();

    // Definition and feature of what the sounder gave (with its clone's
    // reference held by the feature), else the empty definition.
    ETROGRDataSource* dataSource_;
    OgrDefinitionPtr empty_;
    bool read_ = false;
    std::string name_;
    OGRFeature* cached_ = nullptr;
    bool modified_ = true;
    std::int32_t status_ = 0;
    std::int16_t heldSet_ = -1;
};
