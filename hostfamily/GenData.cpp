#include "hostfamily/GenData.h"

#include <cmath>
#include <cstring>

#include <fmt/format.h>

#include "hostfamily/Undefined.h"

namespace GenData {

const CFormat g_DefaultGenDataFormat;

namespace {

// value rounded to the given decimals, never "-0".
double Rounded(double value, int decimals) {
    const double factor = std::pow(10.0, decimals);
    const double rounded = std::round(value * factor) / factor;
    return rounded == 0.0 ? 0.0 : rounded;
}

std::string WithoutIdleZeros(std::string number) {
    if (number.find('.') == std::string::npos) {
        return number;
    }
    while (number.back() == '0') {
        number.pop_back();
    }
    if (number.back() == '.') {
        number.pop_back();
    }
    return number;
}

}  // namespace

const std::string& CGenericData::InvalidString(bool withUnit) {
    static const std::string withSymbol = "---";
    static const std::string bare;
    return withUnit ? withSymbol : bare;
}

bool CFloatGenData::IsValid() const {
    return !IsUndefined(value_) && std::isfinite(value_);
}

std::string CFloatGenData::ToString(const CFormat& format) const {
    const int property = format.GetProprieteUnite();
    if (!IsValid()) {
        return InvalidString(property != CFormat::kNumberOnly);
    }
    const DisplayUnit unit = UserUnitFor(kind_, value_, GetUserUnits());
    const double shown = Rounded(unit.FromData(value_), unit.decimals);
    std::string number = fmt::format("{:.{}f}", shown, unit.decimals);
    if (property == CFormat::kNumberOnly) {
        return number;
    }
    if (property == CFormat::kUserUnit) {
        number = WithoutIdleZeros(std::move(number));
    }
    return *unit.symbol ? fmt::format("{} {}", number, unit.symbol) : number;
}

std::unique_ptr<CGenericData> CFactory::New(int kind, double value) {
    switch (kind) {
        case kKindHorizontalDistance:
            return std::make_unique<CDistHorizontaleRad>(value);
        case kKindDepth:
        case kKindTemperature:
            return std::make_unique<CFloatGenData>(kind, value);
        default:
            return nullptr;
    }
}

std::string ToString(const char* kindName, double value) {
    struct Named {
        const char* name;
        int kind;
    };
    static constexpr Named kNames[] = {{"Distance", kKindHorizontalDistance},
                                       {"Depth", kKindDepth},
                                       {"Temperature", kKindTemperature}};
    for (const Named& named : kNames) {
        if (kindName != nullptr && std::strcmp(kindName, named.name) == 0) {
            return CFactory::New(named.kind, value)->ToString();
        }
    }
    return std::string();
}

}  // namespace GenData
