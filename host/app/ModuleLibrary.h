#pragma once
// The module as a host loads it: the shared library beside the executable and
// the data object its factory returns.
#include <string>

#include "platform/Error.h"
#include "platform/WinTypes.h"

class ModuleDataPlotrexInterface;

class ModuleLibrary {
  public:
    ModuleLibrary() = default;
    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    // Loads the library from folder and creates the data object; failed when
    // either cannot be done.
    ErrorOr<void> Load(const std::string& folder);
    ModuleDataPlotrexInterface* Data() const { return data_; }
    // Destroys the data object (after the host destroyed its displays).
    void DestroyData();
    // A new data object from the loaded library, the old one destroyed.
    ErrorOr<void> CreateData();

  private:
    std::string path_;
    HMODULE library_ = nullptr;
    ModuleDataPlotrexInterface* data_ = nullptr;
};
