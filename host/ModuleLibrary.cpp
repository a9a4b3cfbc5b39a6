#include "host/ModuleLibrary.h"

#include "module/ModuleDataPlotrex.h"
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
    // The factory's object is the module's data object of this host's family.
    data_ = static_cast<ModuleDataPlotrex*>(create());
    if (data_ == nullptr) {
        error = "the module " + path + " could not create its data object";
        return false;
    }
    return true;
}

void ModuleLibrary::DestroyData() {
    delete data_;
    data_ = nullptr;
}
