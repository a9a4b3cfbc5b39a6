#pragma once
// Reference counting of the objects a device creates. The caller's references
// are public: the first one holds a reference on the device, so that a device
// lives as long as anything made on it. A binding inside the device (a set
// texture, a stream source) holds the object but not the device, so that no
// cycle keeps a released device alive; the object goes when neither holds it.
// Objects the device owns (its back buffer) stay when the last public
// reference goes.
#include "direct3d/d3d9.h"

namespace d3d9soft {

template <class Interface>
class DeviceChild : public Interface {
  public:
    // Starts with the creator's reference.
    DeviceChild(IDirect3DDevice9* device, bool ownedByDevice)
        : device_(device), refs_(ownedByDevice ? 0 : 1), ownedByDevice_(ownedByDevice) {
        if (refs_ > 0) {
            device_->AddRef();
        }
    }
    DeviceChild(const DeviceChild&) = delete;
    DeviceChild& operator=(const DeviceChild&) = delete;

    ULONG AddRef() override {
        if (refs_++ == 0) {
            device_->AddRef();
            PublicChanged(true);
        }
        return refs_;
    }
    ULONG Release() override {
        if (refs_ == 0) {
            return 0;
        }
        const ULONG left = --refs_;
        if (left == 0) {
            PublicChanged(false);
            IDirect3DDevice9* device = device_;
            if (binds_ == 0 && !ownedByDevice_) {
                delete this;
            }
            device->Release();
        }
        return left;
    }
    HRESULT GetDevice(IDirect3DDevice9** device) override {
        if (device == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        device_->AddRef();
        *device = device_;
        return D3D_OK;
    }

    void Bind() { ++binds_; }
    void Unbind() {
        if (--binds_ == 0 && refs_ == 0 && !ownedByDevice_) {
            delete this;
        }
    }
    ULONG PublicReferences() const { return refs_; }
    IDirect3DDevice9* OwnerDevice() const { return device_; }

  protected:
    ~DeviceChild() override = default;
    // Called when the first public reference comes or the last one goes.
    virtual void PublicChanged(bool /*held*/) {}

  private:
    IDirect3DDevice9* device_;
    ULONG refs_;
    ULONG binds_ = 0;
    bool ownedByDevice_;
};

}  // namespace d3d9soft
