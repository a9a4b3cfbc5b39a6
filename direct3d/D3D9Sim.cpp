#include "direct3d/D3D9Sim.h"

#include "direct3d/SoftDevice.h"

namespace d3d9sim {

namespace {

Limits& CurrentLimits() {
    static Limits limits;
    return limits;
}

}  // namespace

bool SetDeviceCondition(IDirect3DDevice9* device, DeviceCondition condition) {
    auto* soft = dynamic_cast<d3d9soft::SoftDevice*>(device);
    if (soft == nullptr) {
        return false;
    }
    soft->SetCondition(condition);
    return true;
}

DeviceCondition GetDeviceCondition(IDirect3DDevice9* device) {
    auto* soft = dynamic_cast<d3d9soft::SoftDevice*>(device);
    return soft != nullptr ? soft->Condition() : DeviceCondition::kOperational;
}

void SetLimits(const Limits& limits) {
    CurrentLimits() = limits;
}

const Limits& GetLimits() {
    return CurrentLimits();
}

void ResetLimits() {
    CurrentLimits() = Limits{};
}

}  // namespace d3d9sim
