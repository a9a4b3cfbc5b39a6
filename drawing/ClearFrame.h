#pragma once
// Empties a device's back buffer before a frame is drawn into it.
class VexanDevice;

// The whole surface in the palette colour of the module's current day/night
// mode, opaque: through Direct3D when the device has it, else through its
// device context.
void ClearFrame(VexanDevice& device, unsigned paletteIndex);
