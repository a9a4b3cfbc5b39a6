#include "hostfamily/ZXFeature.h"

void ZXFeature::SetValue(const std::string& name, std::int32_t value) {
    integers_[name] = value;
}

bool ZXFeature::GetValue(const char* name, std::int32_t& value) const {
    if (name == nullptr) {
        return false;
    }
    const auto it = integers_.find(std::string_view(name));
    if (it == integers_.end()) {
        return false;
    }
    value = it->second;
    return true;
}
