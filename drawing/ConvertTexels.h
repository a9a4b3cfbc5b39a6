#pragma once
// The texture formats the echogram asks a Direct3D device for, and the
// conversion of 32-bit texels (bytes blue, green, red, alpha) into them.
#include "direct3d/d3d9.h"

// The first candidate that the device's adapter can use as a texture in its
// current display mode; D3DFMT_UNKNOWN (0) for none, a null device or list,
// or count < 1.
D3DFORMAT PickTextureFormat(IDirect3DDevice9* device, const D3DFORMAT* candidates, int count);
// D3DFMT_A8R8G8B8, then D3DFMT_A4R4G4B4.
D3DFORMAT PickAlphaTextureFormat(IDirect3DDevice9* device);
// D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_R8G8B8, then D3DFMT_X8R8G8B8.
D3DFORMAT PickOpaqueTextureFormat(IDirect3DDevice9* device);

// Converts count texels into the format (A8R8G8B8, R5G6B5 or A4R4G4B4) and
// returns the bytes that make them; 0 for any other format, a null source or
// count < 1. With a null destination nothing is written and the result is
// the size the texels would take.
int ConvertTexels(const BYTE* source, BYTE* destination, int count, D3DFORMAT format);
