#include "graphdata/PlotrexDataContainer.h"

#include "graphdata/PlotrexData.h"

void PlotrexDataContainer::Add(PlotrexData* data) {
    push_back(data);
    if (data != nullptr) {
        byName_.emplace(data->GetName(), data);
    }
}

PlotrexData* PlotrexDataContainer::GetData(const char* nameKey) const {
    if (nameKey == nullptr) {
        return nullptr;
    }
    auto it = byName_.find(nameKey);
    return it == byName_.end() ? nullptr : it->second;
}

void PlotrexDataContainer::Clear() {
    clear();
    byName_.clear();
}
