// Feeds arbitrary bytes to the profile reader. Whatever it accepts must be
// written back as text that reads as the same settings, and merging one
// program's changes into a file another program wrote must keep exactly the
// other program's untouched values.
//
// Input: up to three texts separated by a line "%%": the file as it is on
// disk, the file as this program read it, and the settings this program ends
// with.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/IniDocument.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Text() reads back as the same document and is a fixed point.
void CheckRoundTrip(const IniDocument& document) {
    const std::string text = document.Text();
    const auto again = IniDocument::Parse(text);
    Require(again.HasValue());
    Require(again.Value().SameValues(document));
    Require(again.Value().Text() == text);
}

std::vector<std::string_view> SplitParts(std::string_view input) {
    std::vector<std::string_view> parts;
    constexpr std::string_view kSeparator = "\n%%\n";
    while (parts.size() < 2) {
        const size_t at = input.find(kSeparator);
        if (at == std::string_view::npos) {
            break;
        }
        parts.push_back(input.substr(0, at));
        input.remove_prefix(at + kSeparator.size());
    }
    parts.push_back(input);
    return parts;
}

void CheckMerge(const IniDocument& disk, const IniDocument& before, const IniDocument& after) {
    IniDocument merged = disk;
    merged.ApplyChanges(before, after);
    CheckRoundTrip(merged);
    // Every value this program set is there.
    for (const auto& section : after.Sections()) {
        Require(merged.HasSection(section.name));
        for (const auto& entry : section.entries) {
            const std::string* old = before.Get(section.name, entry.key);
            const std::string* now = merged.Get(section.name, entry.key);
            if (old == nullptr || *old != entry.value) {
                Require(now != nullptr && *now == entry.value);
            }
        }
    }
    // What it removed is gone; what it left alone is the disk's.
    for (const auto& section : disk.Sections()) {
        const bool sectionRemoved =
            before.HasSection(section.name) && !after.HasSection(section.name);
        for (const auto& entry : section.entries) {
            const std::string* now = merged.Get(section.name, entry.key);
            const std::string* old = before.Get(section.name, entry.key);
            const std::string* set = after.Get(section.name, entry.key);
            if (sectionRemoved || (old != nullptr && set == nullptr)) {
                Require(now == nullptr);
            } else if (set == nullptr || (old != nullptr && *old == *set)) {
                Require(now != nullptr && *now == entry.value);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (const auto whole = IniDocument::Parse(input)) {
        CheckRoundTrip(whole.Value());
    } else {
        Require(!whole.GetError().Message().empty());
    }
    const std::vector<std::string_view> parts = SplitParts(input);
    if (parts.size() == 3) {
        const auto disk = IniDocument::Parse(parts[0]);
        const auto before = IniDocument::Parse(parts[1]);
        const auto after = IniDocument::Parse(parts[2]);
        if (disk && before && after) {
            CheckMerge(disk.Value(), before.Value(), after.Value());
        }
    }
    return 0;
}
