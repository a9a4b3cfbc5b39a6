// Any bytes as the argument of the command that tells the echogram what a
// recording's levels stand for: nothing may crash, a table taken is a real
// one, and the colour bar's labels of every look stay within 0 to 255.
#include <cstddef>
#include <cstdint>
#include <string>

#include "drawing/StyleTable.h"
#include "echo/EtrReadingCommands.h"
#include "module/CommandNames.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto strengths = ParseLevelStrengths(text.c_str());
    if (strengths) {
        Check((*strengths)[0] == 0);
        for (int level = 1; level < 16; ++level) {
            Check((*strengths)[level] >= (*strengths)[level - 1] && (*strengths)[level] <= 255);
        }
    }
    StyleTable styles;
    EtrReadingCommands reading;
    reading.SetStyleTable(&styles);
    Check(reading.Execute(kCommandEtrLevelStrengths, text.c_str()) == (strengths ? 1 : 0));
    const int gain = size > 0 ? data[0] % 31 - 15 : 0;
    const int threshold = size > 1 ? data[1] % 16 : 0;
    styles.SetEchoLook(EchoLook{EchoScale::kStandard, gain, threshold});
    for (int level = 0; level < 16; ++level) {
        const std::string label = reading.LevelLabel(level);
        Check(label.size() <= 7);
        for (const char c : label) {
            Check((c >= '0' && c <= '9') || c == '-');
        }
    }
    return 0;
}
