#pragma once
// Keeps a drawing context's clip for the life of a scope.
#include "drawing/DeviceGraphics.h"

class DeviceGraphicsSaver {
  public:
    explicit DeviceGraphicsSaver(DeviceGraphics& graphics) : graphics_(graphics) {
        graphics_.Save();
    }
    ~DeviceGraphicsSaver() { graphics_.Restore(); }
    DeviceGraphicsSaver(const DeviceGraphicsSaver&) = delete;
    DeviceGraphicsSaver& operator=(const DeviceGraphicsSaver&) = delete;

  private:
    DeviceGraphics& graphics_;
};
