#pragma once
// The whole echogram store of a sounder channel as a picture, one column per
// sweep (the oldest on the left), from the top of the highest window to the
// bottom of the deepest, read from the module through its published
// operation.
#include <string>

#include "platform/Error.h"

class ModuleDataPlotrexInterface;

// The picture's height in pixels.
inline constexpr int kEchogramPictureRows = 512;

// The number of sweeps drawn, 0 (nothing written) when the channel holds
// none; failed when the picture could not be written.
ErrorOr<int> WriteEchogramPicture(ModuleDataPlotrexInterface& data, short channel,
                                  const std::string& path);
