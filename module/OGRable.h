#pragma once
// How the host reads a module's data as OGR layers.
#include <cstdint>
#include <string>

class OGRLayer;

class OGRable {
  public:
    virtual OGRLayer* GetLayer(std::int32_t index) = 0;
    virtual OGRLayer* GetLayerByName(const std::string& name) = 0;
    virtual std::int32_t GetLayerCount() = 0;
    virtual OGRLayer* QueryLayer(std::int32_t first, std::int32_t second) = 0;

  protected:
    ~OGRable() = default;
};
