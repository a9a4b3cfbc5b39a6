#include "module/LayerKey.h"

#include <array>
#include <cctype>

namespace {

const std::array<std::uint32_t, 256>& CrcTable() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int bit = 0; bit < 8; ++bit) {
                c = (c & 1U) ? 0xEDB88320U ^ (c >> 1) : c >> 1;
            }
            t[i] = c;
        }
        return t;
    }();
    return table;
}

}  // namespace

std::int32_t NameHash(const std::string& name) {
    const auto& table = CrcTable();
    std::int32_t reg = -1;
    for (const char ch : name) {
        const auto upper = static_cast<std::uint32_t>(std::toupper(static_cast<unsigned char>(ch)));
        const std::uint32_t index = (upper ^ static_cast<std::uint32_t>(reg)) & 0xFFU;
        // Arithmetic shift: the sign bit is copied into the vacated bits.
        const std::int32_t shifted = reg >> 8;
        reg = static_cast<std::int32_t>(static_cast<std::uint32_t>(shifted) ^ table[index]);
    }
    return reg;
}

LayerKey::LayerKey(const std::string& moduleName, const std::string& layerName) {
    SetModuleName(moduleName);
    SetLayerName(layerName);
}

void LayerKey::SetModuleName(const std::string& name) {
    moduleName_ = name;
    moduleHash_ = NameHash(name);
}

void LayerKey::SetLayerName(const std::string& name) {
    layerName_ = name;
    layerHash_ = NameHash(name);
}

bool LayerKey::MatchesModule(const std::string& moduleName) const {
    return moduleHash_ == NameHash(moduleName);
}

std::string LayerKey::ToText() const {
    return moduleName_ + "?" + layerName_;
}

bool LayerKey::FromText(const std::string& text) {
    const auto mark = text.find('?');
    if (text.empty() || mark == std::string::npos) {
        return false;
    }
    SetModuleName(text.substr(0, mark));
    SetLayerName(text.substr(mark + 1));
    return true;
}

std::int32_t LayerKey::Sum() const {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(moduleHash_) +
                                     static_cast<std::uint32_t>(layerHash_));
}
