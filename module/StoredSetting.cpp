#include "module/StoredSetting.h"

#include <charconv>
#include <string>

#include "module/ProfileHelpers.h"
#include "module/UserMessages.h"

int ReadStoredSetting(const char* section, const char* entry, int low, int high, int fallback) {
    std::string text;
    if (!ReadProfileText(section, entry, text, "")) {
        return fallback;
    }
    int value = 0;
    const char* first = text.data() + (text.starts_with('+') ? 1 : 0);
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc() && end == last && value >= low && value <= high) {
        return value;
    }
    ShowUserWarning("stored " + std::string(entry) + " \"" + text + "\" is not one of " +
                    std::to_string(low) + ".." + std::to_string(high) + "; using " +
                    std::to_string(fallback));
    return fallback;
}
