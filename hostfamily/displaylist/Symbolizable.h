#pragma once
// What a module's display object offers a chart host: at each pass of a
// symbolization the object appends its marks to the host's primitives. The
// one operation is the whole table; the host finds it by a cast from the
// display object and never deletes through it. Its type information is
// visible from every library, so that the cast works across them.
#include <cstdint>

class DisplayPrimitiveContainer;
class ValidGeoRect;
class ZXFeature;

class __attribute__((visibility("default"))) Symbolizable {
  public:
    // primitives: the host's container, appended to; chartRect and scale:
    // the chart's rectangle and scale denominator; params: drawing
    // parameters of the host ("DAY_NIGHT_MODE"); extra: not used.
    virtual void Symbolize(DisplayPrimitiveContainer* primitives, std::int16_t pass,
                           const ValidGeoRect* chartRect, double scale, const ZXFeature* params,
                           void* extra) = 0;

  protected:
    Symbolizable() = default;
    Symbolizable(const Symbolizable&) = default;
    Symbolizable& operator=(const Symbolizable&) = default;
    ~Symbolizable() = default;
};
