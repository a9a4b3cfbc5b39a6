#include "echo/SounderLibrary.h"

#include <atomic>
#include <mutex>

#include "units/UnitConversion.h"

namespace {

constexpr const char* kSounderLibrary = "ZXNorvane.dll";
constexpr const char* kSounderEntry = "GetZXNorvaneAPI";

// Read on the library's thread inside its callbacks, so atomic; loading is
// serialised by the mutex.
std::atomic<ZXNorvaneAPI*> gApi{nullptr};
std::mutex gLoading;

}  // namespace

std::string SounderLibraryFolder() {
    return ExecutableFolder() + "../NORVANE/";
}

ZXNorvaneAPI* LoadSounderLibraryFrom(const std::string& folder, std::string* message) {
    return LoadLibraryApi<GetZXNorvaneAPIFunction>(folder, kSounderLibrary, kSounderEntry, message);
}

ZXNorvaneAPI* GetSounderLibrary() {
    if (ZXNorvaneAPI* api = gApi.load(std::memory_order_acquire)) {
        return api;
    }
    std::lock_guard<std::mutex> lock(gLoading);
    if (ZXNorvaneAPI* api = gApi.load(std::memory_order_acquire)) {
        return api;
    }
    std::string message;
    ZXNorvaneAPI* api = LoadSounderLibraryFrom(SounderLibraryFolder(), &message);
    if (api == nullptr) {
        ExitForMissingLibrary(message);
    }
    gApi.store(api, std::memory_order_release);
    return api;
}

ZXSounder* GetSounder() {
    return GetSounderLibrary()->GetSounder();
}

ZXModeEncoder* GetModeEncoder() {
    return GetSounderLibrary()->GetModeEncoder();
}

ZXNorvaneAPI* SetSounderLibrary(ZXNorvaneAPI* api) {
    std::lock_guard<std::mutex> lock(gLoading);
    return gApi.exchange(api, std::memory_order_acq_rel);
}
