#include "drawing/ConvertTexels.h"

#include <cstring>

#include "platform/ComPtr.h"

D3DFORMAT PickTextureFormat(IDirect3DDevice9* device, const D3DFORMAT* candidates, int count) {
    if (device == nullptr || candidates == nullptr || count < 1) {
        return D3DFMT_UNKNOWN;
    }
    ComPtr<IDirect3D9> d3d;
    D3DDEVICE_CREATION_PARAMETERS creation;
    D3DDISPLAYMODE mode;
    if (FAILED(device->GetDirect3D(d3d.Put())) ||
        FAILED(device->GetCreationParameters(&creation)) ||
        FAILED(d3d->GetAdapterDisplayMode(creation.AdapterOrdinal, &mode))) {
        return D3DFMT_UNKNOWN;
    }
    for (int i = 0; i < count; ++i) {
        if (SUCCEEDED(d3d->CheckDeviceFormat(creation.AdapterOrdinal, creation.DeviceType,
                                             mode.Format, 0, D3DRTYPE_TEXTURE, candidates[i]))) {
            return candidates[i];
        }
    }
    return D3DFMT_UNKNOWN;
}

D3DFORMAT PickAlphaTextureFormat(IDirect3DDevice9* device) {
    static const D3DFORMAT kCandidates[] = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4};
    return PickTextureFormat(device, kCandidates, 2);
}

D3DFORMAT PickOpaqueTextureFormat(IDirect3DDevice9* device) {
    static const D3DFORMAT kCandidates[] = {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_R8G8B8,
                                            D3DFMT_X8R8G8B8};
    return PickTextureFormat(device, kCandidates, 4);
}

int ConvertTexels(const BYTE* source, BYTE* destination, int count, D3DFORMAT format) {
    if (source == nullptr || count < 1) {
        return 0;
    }
    int size = 0;
    switch (format) {
        case D3DFMT_A8R8G8B8:
            size = 4;
            break;
        case D3DFMT_R5G6B5:
        case D3DFMT_A4R4G4B4:
            size = 2;
            break;
        default:
            return 0;
    }
    if (destination == nullptr) {
        return size * count;
    }
    if (format == D3DFMT_A8R8G8B8) {
        std::memcpy(destination, source, static_cast<std::size_t>(count) * 4);
        return 4 * count;
    }
    for (int i = 0; i < count; ++i) {
        const BYTE blue = source[4 * i], green = source[4 * i + 1], red = source[4 * i + 2],
                   alpha = source[4 * i + 3];
        BYTE* out = destination + 2 * i;
        if (format == D3DFMT_R5G6B5) {
            const unsigned v = (red & 0xF8u) << 8 | (green & 0xFCu) << 3 | blue >> 3;
            out[0] = static_cast<BYTE>(v & 0xFF);
            out[1] = static_cast<BYTE>(v >> 8);
        } else {
            out[0] = static_cast<BYTE>((green & 0xF0) | blue >> 4);
            out[1] = static_cast<BYTE>((alpha & 0xF0) | red >> 4);
        }
    }
    return 2 * count;
}
