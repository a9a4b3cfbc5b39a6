#pragma once
// The echogram's OGR data source, "etr_data_source": one layer, the sounder's
// property record "ETR_PROPERTIES".
#include <memory>

#include "echo/ETROGRLayer.h"

class ETROGRDataSource : public OGRDataSource {
  public:
    static constexpr const char* kName = "etr_data_source";
    static constexpr const char* kLayerName = "ETR_PROPERTIES";

    ETROGRDataSource();
    ~ETROGRDataSource() override;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const char* GetName() override;
#pragma GCC diagnostic pop
    int GetLayerCount() override;
    OGRLayer* GetLayer(int index) override;
    OGRLayer* GetLayerByName(const char* name) override;
    int TestCapability(const char* capability) override;

  private:
    std::unique_ptr<ETROGRLayer> layer_;
};
