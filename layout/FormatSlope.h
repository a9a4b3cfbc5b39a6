#pragma once
// The slope of a view as the legend shows it: "x 4" for a vertical axis
// stretched four times, "1:2" for one squeezed twice, "1:1" for none.
#include <string>

class LinearPixelProjection;

std::string FormatSlope(const LinearPixelProjection& vertical,
                        const LinearPixelProjection& horizontal);
