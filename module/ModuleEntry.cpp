// The module's one exported entry point.
#include <new>

#include "module/ModuleDataPlotrex.h"

extern "C" __attribute__((visibility("default"))) ModuleData* CreateModuleData() {
    return new (std::nothrow) ModuleDataPlotrex();
}
