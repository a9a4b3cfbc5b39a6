#pragma once
// The host's generic data: numbers of a known kind (depth, temperature,
// horizontal distance) that know how to read in the user's units.
#include <memory>
#include <string>

#include "hostfamily/GenDataUnits.h"

namespace GenData {

// How a datum becomes text.
class CFormat {
  public:
    // Unit property codes.
    static constexpr int kNumberOnly = 0;  // "12.5": the user's unit, no symbol
    static constexpr int kWithSymbol = 1;  // "12.5 m", "14.0 °C": fixed decimals (default)
    static constexpr int kUserUnit = 2;    // "12.5 m", "14 °C": the user's unit, no idle zeros

    void SetProprieteUnite(int property) { unitProperty_ = property; }
    int GetProprieteUnite() const { return unitProperty_; }

  private:
    int unitProperty_ = kWithSymbol;
};

extern const CFormat g_DefaultGenDataFormat;

class CGenericData {
  public:
    virtual ~CGenericData() = default;
    virtual int GetKind() const = 0;
    virtual std::string ToString(const CFormat& format) const = 0;
    std::string ToString() const { return ToString(g_DefaultGenDataFormat); }

    // The text of an undefined value, in a format with (true) or without
    // (false) a unit symbol.
    static const std::string& InvalidString(bool withUnit);
};

// A floating-point datum; the undefined marker (or a value that is not a
// number) is the undefined value.
class CFloatGenData : public CGenericData {
  public:
    CFloatGenData(int kind, double value) : kind_(kind), value_(value) {}

    int GetKind() const override { return kind_; }
    using CGenericData::ToString;
    std::string ToString(const CFormat& format) const override;

    double GetValue() const { return value_; }
    void SetValue(double value) { value_ = value; }
    bool IsValid() const;

  private:
    int kind_;
    double value_;
};

// A distance along the earth's surface given in radians of arc.
class CDistHorizontaleRad final : public CFloatGenData {
  public:
    explicit CDistHorizontaleRad(double radians)
        : CFloatGenData(kKindHorizontalDistance, radians) {}
};

class CFactory {
  public:
    // A datum of a known kind (depth, temperature, horizontal distance) with
    // the value; null for any other kind.
    static std::unique_ptr<CGenericData> New(int kind, double value);
};

// The default text of a value of the kind named "Distance" (radians of arc),
// "Depth" or "Temperature"; empty for another name.
std::string ToString(const char* kindName, double value);

}  // namespace GenData
