#include "module/CommandVocabulary.h"

#include <array>
#include <cstring>

#include "module/CommandNames.h"

namespace {

// Slopes are powers of two; scales are the levels of the distance axis.
constexpr std::array kSlopeValues = {"1", "2", "4", "8", "16", "32", "64", "128", "256"};
constexpr std::array kScaleValues = {"3",  "4",  "5",  "6",  "7",  "8", "9",
                                     "10", "11", "12", "13", "14", "15"};

bool Same(const char* a, const char* b) {
    return a != nullptr && std::strcmp(a, b) == 0;
}

}  // namespace

std::span<const char* const> CommandVocabulary::Names() {
    return kCommandNames;
}

bool CommandVocabulary::Contains(const char* command) {
    for (const char* name : kCommandNames) {
        if (Same(command, name)) {
            return true;
        }
    }
    return false;
}

std::span<const char* const> CommandVocabulary::ParameterTexts(const char* command) {
    if (Same(command, kCommandSlopeValue)) {
        return kSlopeValues;
    }
    if (Same(command, kCommandScaleValue)) {
        return kScaleValues;
    }
    return {};
}
