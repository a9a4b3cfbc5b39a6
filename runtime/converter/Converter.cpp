// The host's unit converter: linear conversions between the units of one
// quantity. Unit numbers, the quantity they measure and their size in the
// quantity's base unit:
//
//   length (base: metre)                      angle (base: radian)
//    7  metre                 1                 1  radian         1
//    8  kilometre             1000              2  degree         pi/180
//    9  nautical mile         1852              3  minute of arc  pi/10800
//   10  statute mile          1609.344
//   11  fathom                1.8288
//   12  yard                  0.9144
//   13  foot                  0.3048
//   14  radian of arc on the earth: one minute of arc is one nautical mile,
//       so 1 radian = 1852 * 10800 / pi metres (about 6 366 707 m)
//   15  centimetre            0.01
//
// Angles on the earth's surface (unit 14) are lengths here, so that metres and
// radians of arc convert into each other. Unknown units, and units of
// different quantities, give the undefined marker.
#include <cmath>

#include "hostfamily/ConverterApi.h"
#include "hostfamily/Undefined.h"

namespace {

enum class Quantity { kLength, kAngle };

struct UnitRow {
    int number;
    Quantity quantity;
    double size;
    const char* symbol;
};

constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerRadianOfArc = 1852.0 * 10800.0 / kPi;

constexpr UnitRow kUnits[] = {
    {1, Quantity::kAngle, 1.0, "rad"},
    {2, Quantity::kAngle, kPi / 180.0, "\xC2\xB0"},
    {3, Quantity::kAngle, kPi / 10800.0, "'"},
    {7, Quantity::kLength, 1.0, "m"},
    {8, Quantity::kLength, 1000.0, "km"},
    {9, Quantity::kLength, 1852.0, "NM"},
    {10, Quantity::kLength, 1609.344, "mi"},
    {11, Quantity::kLength, 1.8288, "fm"},
    {12, Quantity::kLength, 0.9144, "yd"},
    {13, Quantity::kLength, 0.3048, "ft"},
    {14, Quantity::kLength, kMetresPerRadianOfArc, "rad"},
    {15, Quantity::kLength, 0.01, "cm"},
};

const UnitRow* FindUnit(int number) {
    for (const UnitRow& row : kUnits) {
        if (row.number == number) {
            return &row;
        }
    }
    return nullptr;
}

class LinearConverter final : public UnitConverter {
  public:
    double Convert(double& value, int fromUnit, int toUnit) override {
        const UnitRow* from = FindUnit(fromUnit);
        const UnitRow* to = FindUnit(toUnit);
        if (from == nullptr || to == nullptr || from->quantity != to->quantity ||
            IsUndefined(value) || !std::isfinite(value)) {
            return kUndefined;
        }
        if (from == to) {
            return value;
        }
        return value * from->size / to->size;
    }

    const char* UnitSymbol(int unit) override {
        const UnitRow* row = FindUnit(unit);
        return row ? row->symbol : "";
    }
};

class Api final : public ConverterAPI {
  public:
    UnitConverter* GetConverter() override { return &converter_; }

  private:
    LinearConverter converter_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) ConverterAPI* GetConverterAPI() {
    static Api api;
    return &api;
}
