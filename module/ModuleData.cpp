#include "module/ModuleData.h"

#include <strings.h>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "module/ModuleDisplay.h"
#include "module/ProfileHelpers.h"

namespace {

std::string IndexedName(const char* format, const std::string& prefix, int index) {
    char name[512];
    std::snprintf(name, sizeof name, format, prefix.c_str(), index);
    return name;
}

}  // namespace

ModuleData::~ModuleData() {
    ForgetObservers();
}

bool ModuleData::IsReady() {
    return true;
}

void ModuleData::Terminate() {}

void ModuleData::SaveSettings() {
    const std::string section = GetRegistrySections().first;
    const std::vector<std::string> files = GetOpenedFiles();
    WriteProfileIntValue(section.c_str(), "NbOpenedFiles", static_cast<int>(files.size()));
    for (short i = 0; i < static_cast<short>(files.size()); ++i) {
        WriteProfileText(section.c_str(), IndexedName("%s%d", "File", i).c_str(), files[i]);
    }
}

void ModuleData::LoadSettings() {
    const std::string section = GetRegistrySections().first;
    int count = 0;
    std::vector<std::string> files;
    ReadProfileInt(section.c_str(), "NbOpenedFiles", count, 0);
    count = std::min(count, 32767);  // written with a 16-bit index
    for (int i = 0; i < count; ++i) {
        std::string path;
        if (ReadProfileText(section.c_str(), IndexedName("%s%d", "File", i).c_str(), path, "") &&
            !path.empty()) {
            files.push_back(path);
        }
    }
    OpenFiles(files, true);
}

void ModuleData::DeleteSettings() {
    const auto [dataSection, displaySection] = GetRegistrySections();
    DeleteProfileSection(dataSection.c_str());
    if (displaySection.empty()) {
        return;
    }
    for (int i = 0; i <= 5; ++i) {
        DeleteProfileSection(IndexedName("%s_%d", displaySection, i).c_str());
    }
}

OpenResult ModuleData::OpenFiles(const std::vector<std::string>&, bool) {
    return OpenResult();
}

bool ModuleData::RemoveLayers(const LayerList& layers) {
    LayerList own;
    for (const LayerKey& key : layers.Keys()) {
        if (key.MatchesModule(GetModuleName())) {
            own.Append(key);
        }
    }
    if (own.Empty()) {
        return true;
    }
    for (Observer<ModuleNotification>* observer : Observers()) {
        auto* display = static_cast<ModuleDisplay*>(observer);
        LayerList remaining = display->GetLayers();
        remaining.RemoveAll(own);
        display->SetLayers(remaining);
    }
    return true;
}

void ModuleData::UpdateLayers() {}

void ModuleData::Notify(ModuleNotification) {
    // A copy: a display may detach itself while being told.
    const auto observers = Observers();
    for (Observer<ModuleNotification>* observer : observers) {
        static_cast<ModuleDisplay*>(observer)->Update();
    }
}

bool ModuleData::CanOpen(const std::string& fileName) {
    std::string extension = std::filesystem::path(fileName).extension().string();
    if (fileName.find('.') == std::string::npos) {
        extension = "." + fileName;
    }
    for (const FileType& type : GetFileTypes()) {
        for (const std::string& candidate : type.extensions) {
            if (strcasecmp(("." + candidate).c_str(), extension.c_str()) == 0) {
                return true;
            }
        }
    }
    return false;
}

std::vector<std::string> ModuleData::GetOpenedFiles() {
    return {};
}

LayerList ModuleData::GetLayers() {
    return LayerList();
}

LayerList ModuleData::GetLayersEx() {
    return LayerList();
}
