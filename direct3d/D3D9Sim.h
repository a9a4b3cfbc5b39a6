#pragma once
// Controls of the software Direct3D for tests: the faults and limits that a
// real adapter shows, which a test cannot otherwise provoke.
#include <vector>

#include "direct3d/d3d9.h"

namespace d3d9sim {

// The cooperative level of a device.
//  kLost:       lost, and not yet resettable: TestCooperativeLevel reports
//               D3DERR_DEVICELOST, Present and Reset fail with it.
//  kNotReset:   lost and resettable: TestCooperativeLevel reports
//               D3DERR_DEVICENOTRESET, Present fails with D3DERR_DEVICELOST,
//               a Reset makes the device operational again.
//  kDriverError: D3DERR_DRIVERINTERNALERROR from TestCooperativeLevel,
//               Present and Reset.
// While a device is not operational, drawing calls succeed and draw nothing.
enum class DeviceCondition { kOperational, kLost, kNotReset, kDriverError };

// False when the device is not one of this library's.
bool SetDeviceCondition(IDirect3DDevice9* device, DeviceCondition condition);
DeviceCondition GetDeviceCondition(IDirect3DDevice9* device);

struct Limits {
    // Reported in the capabilities; larger textures cannot be created.
    UINT maxTextureWidth = 4096;
    UINT maxTextureHeight = 4096;
    // Larger back buffers fail with D3DERR_OUTOFVIDEOMEMORY.
    UINT maxBackBufferWidth = 8192;
    UINT maxBackBufferHeight = 8192;
    // Texture formats that CheckDeviceFormat and CreateTexture refuse.
    std::vector<D3DFORMAT> refusedTextureFormats;
};

// Process-wide; ResetLimits restores the defaults above.
void SetLimits(const Limits& limits);
const Limits& GetLimits();
void ResetLimits();

}  // namespace d3d9sim
