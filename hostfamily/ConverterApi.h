#pragma once
// The interface of the host's unit converter library ("Converter.dll"), loaded
// at run time from beside the host executable through its one exported entry
// point, GetConverterAPI.

// Unit numbers of the converter (the full table is in the library itself).
enum ConverterUnit : int {
    kUnitMetre = 7,
    kUnitFathom = 11,
    kUnitFoot = 13,
    kUnitRadianOfArc = 14,
};

class UnitConverter {
  public:
    // 1: converts value from one unit to another; the undefined marker when
    // either unit is unknown or the units measure different quantities.
    virtual double Convert(double& value, int fromUnit, int toUnit) = 0;
    // 2: the short text of a unit ("m", "NM"...), empty when unknown.
    virtual const char* UnitSymbol(int unit) = 0;

  protected:
    ~UnitConverter() = default;
};

class ConverterAPI {
  public:
    // 1: the converter, owned by the library.
    virtual UnitConverter* GetConverter() = 0;

  protected:
    ~ConverterAPI() = default;
};

extern "C" {
using GetConverterAPIFunction = ConverterAPI* (*)();
}
