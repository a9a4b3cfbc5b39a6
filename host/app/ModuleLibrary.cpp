#include "host/app/ModuleLibrary.h"

#include "module/ModuleDataPlotrexInterface.h"
#include "platform/DynamicLibrary.h"

ModuleLibrary::~ModuleLibrary() {
    DestroyData();
    // The library stays mapped: objects of the module may still be referenced
    // by static destructors of the process.
}

ErrorOr<void> ModuleLibrary::Load(const std::string& folder) {
    path_ = folder + PlatformLibraryName("Plotrex.dll");
    library_ = LoadLibraryExA(path_.c_str(), nullptr, 0);
    if (library_ == nullptr) {
        return Error::Failed("cannot load the module " + path_ + ": " + LastLoaderError());
    }
    return CreateData();
}

ErrorOr<void> ModuleLibrary::CreateData() {
    DestroyData();
    const std::string& path = path_;
    auto create =
        reinterpret_cast<CreateModuleDataFunction>(GetProcAddress(library_, "CreateModuleData"));
    if (create == nullptr) {
        return Error::Failed("the module " + path + " has no CreateModuleData");
    }
    ModuleData* created = create();
    if (created == nullptr) {
        return Error::Failed("the module " + path + " could not create its data object");
    }
    // Any module of the family answers the framework; only this one publishes these operations.
    data_ = dynamic_cast<ModuleDataPlotrexInterface*>(created);
    if (data_ == nullptr) {
        const std::string name = created->GetModuleName();
        delete created;
        return Error::Failed("the module " + path + " is not the Plotrex module (" + name + ")");
    }
    return {};
}

void ModuleLibrary::DestroyData() {
    delete data_;
    data_ = nullptr;
}
