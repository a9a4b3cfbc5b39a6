#include "module/ModuleDisplay.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "module/ModuleData.h"
#include "module/ProfileHelpers.h"

namespace {

std::string DisplaySection(ModuleData* data, short index) {
    if (data == nullptr) {
        return std::string();
    }
    const std::string section = data->GetRegistrySections().second;
    if (section.empty()) {
        return std::string();
    }
    char name[512];
    std::snprintf(name, sizeof name, "%s_%d", section.c_str(), index);
    return name;
}

std::string LayerEntry(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%d", "Layer", index);
    return name;
}

}  // namespace

void SaveLayerList(const char* section, const LayerList& layers) {
    WriteProfileIntValue(section, "NbLayer", static_cast<int>(layers.Size()));
    for (std::size_t i = 0; i < layers.Size(); ++i) {
        WriteProfileText(section, LayerEntry(static_cast<int>(i)).c_str(),
                         layers.Keys()[i].ToText());
    }
}

LayerList LoadLayerList(const char* section) {
    LayerList layers;
    int count = 0;
    if (!ReadProfileInt(section, "NbLayer", count, 0) || count <= 0) {
        return layers;
    }
    // The index is 16-bit: a larger stored count would never end the loop.
    count = std::min(count, 32767);
    for (short i = 0; i < count; ++i) {
        std::string text;
        ReadProfileText(section, LayerEntry(i).c_str(), text, "");
        LayerKey key;
        if (key.FromText(text)) {
            layers.Add(key);
        }
    }
    return layers;
}

ModuleDisplay::ModuleDisplay(ModuleData* data) : Observer<ModuleNotification>(data) {}

ModuleDisplay::~ModuleDisplay() = default;

void ModuleDisplay::SaveSettings(short index) {
    const std::string section = DisplaySection(GetModuleData(), index);
    if (section.empty()) {
        return;
    }
    SaveLayerList(section.c_str(), layers_);
    WriteProfileIntValue(section.c_str(), "Visible", visible_ ? 1 : 0);
}

void ModuleDisplay::LoadSettings(short index) {
    const std::string section = DisplaySection(GetModuleData(), index);
    if (section.empty()) {
        return;
    }
    layers_ = LoadLayerList(section.c_str());
    ReadProfileBool(section.c_str(), "Visible", visible_, true);
}

void ModuleDisplay::CopyFrom(const ModuleDisplayList& displays) {
    ModuleData* data = GetModuleData();
    const std::string own = data ? data->GetModuleName() : "";
    for (ModuleDisplay* other : displays) {
        if (other == nullptr) {
            continue;
        }
        ModuleData* otherData = other->GetModuleData();
        const std::string name = otherData ? otherData->GetModuleName() : "";
        if (name == own) {
            visible_ = other->IsVisible();
            layers_ = other->GetLayers();
            return;
        }
    }
}

void ModuleDisplay::Update() {}

void ModuleDisplay::SetVisible(const bool& visible) {
    visible_ = visible;
}

bool ModuleDisplay::IsVisible() {
    return visible_;
}

LayerList ModuleDisplay::GetLayers() {
    return layers_;
}

void ModuleDisplay::SetLayers(const LayerList& layers) {
    layers_.Clear();
    layers_.Assign(layers);
}

bool ModuleDisplay::LacksLayer(LayerKey key) {
    return !layers_.Contains(key);
}

short ModuleDisplay::NeedsRedraw() {
    return 0;
}
