#include "platform/WindowMessages.h"

#include <strings.h>

#include <map>
#include <mutex>
#include <string>

namespace {

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};

}  // namespace

UINT RegisterWindowMessageA(const char* name) {
    if (name == nullptr || *name == '\0') {
        return 0;
    }
    static std::mutex mutex;
    static std::map<std::string, UINT, CaseInsensitiveLess> registered;
    std::lock_guard lock(mutex);
    auto [it, inserted] =
        registered.try_emplace(name, static_cast<UINT>(0xC000 + registered.size()));
    return it->second;
}
