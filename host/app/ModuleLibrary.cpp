#include "host/app/ModuleLibrary.h"

#include "module/ModuleDataPlotrexInterface.h"
#include "platform/DynamicLibrary.h"

ModuleLibrary::~ModuleLibrary() {
    DestroyData();
    // The library stays mapped: objects of the module may still be referenced
    // by static destructors of the process.
}

bool ModuleLibrary::Load(const std::string& folder, std::string& error) {
    const std::string path = folder + PlatformLibraryName("Plotrex.dll");
    library_ = LoadLibraryExA(path.c_str(), nullptr, 0);
    if (library_ == nullptr) {
        error = "cannot load the module " + path + ": " + LastLoaderError();
        return false;
    }
    auto create =
        reinterpret_cast<CreateModuleDataFunction>(GetProcAddress(library_, "CreateModuleData"));
    if (create == nullptr) {
        error = "the module " + path + " has no CreateModuleData";
        return false;
    }
    ModuleData* created = create();
    if (created == nullptr) {
        error = "the module " + path + " could not create its data object";
        return false;
    }
    // Any module of the family answers the framework; only this one publishes these operations.
    data_ = dynamic_cast<ModuleDataPlotrexInterface*>(created);
    if (data_ == nullptr) {
        error =
            "the module " + path + " is not the Plotrex module (" + created->GetModuleName() + ")";
        delete created;
        return false;
    }
    return true;
}

void ModuleLibrary::DestroyData() {
    delete data_;
    data_ = nullptr;
}
