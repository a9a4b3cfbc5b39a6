#pragma once
// Module data offered as the layers of one OGR data source, which this object
// owns. A spatial database that lists its tables in "GEOMETRY_COLUMNS" is
// seen as those tables, in the order of its rows.
#include "module/OGRable.h"

class GDALDataset;

class OGRableMonoDataSource : public OGRable {
  public:
    OGRableMonoDataSource() = default;
    OGRableMonoDataSource(const OGRableMonoDataSource&) = delete;
    OGRableMonoDataSource& operator=(const OGRableMonoDataSource&) = delete;

    OGRLayer* GetLayer(std::int32_t index) override;
    OGRLayer* GetLayerByName(const std::string& name) override;
    std::int32_t GetLayerCount() override;
    OGRLayer* QueryLayer(std::int32_t first, std::int32_t second) override;
    // Closes the data source.
    virtual ~OGRableMonoDataSource();

    // Takes the data source over, closing the one held before; null for none.
    void SetDataSource(GDALDataset* dataSource);
    GDALDataset* GetDataSource() const { return dataSource_; }

  private:
    GDALDataset* dataSource_ = nullptr;
};
