#include "echo/EtrReadingCommands.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "drawing/StyleTable.h"
#include "module/CommandNames.h"
#include "module/CommandState.h"
#include "module/GraphKeys.h"

namespace {

// The scale of a parameter, -1 for none of them.
int ScaleIndex(const char* parameter) {
    for (std::size_t i = 0; i < kEchoColourScales.size(); ++i) {
        if (parameter != nullptr && std::strcmp(parameter, kEchoColourScales[i].parameter) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool IsStep(const std::string& command) {
    return command == kCommandEtrGainPlus || command == kCommandEtrGainMoins ||
           command == kCommandEtrThresholdPlus || command == kCommandEtrThresholdMoins;
}

// The look after one step, unchanged at the step's limit.
EchoLook Stepped(EchoLook look, const std::string& command) {
    if (command == kCommandEtrGainPlus || command == kCommandEtrGainMoins) {
        const int step = command == kCommandEtrGainPlus ? 1 : -1;
        look.gain = std::clamp(look.gain + step, -kEchoGainMost, kEchoGainMost);
    } else {
        const int step = command == kCommandEtrThresholdPlus ? 1 : -1;
        look.threshold = std::clamp(look.threshold + step, 0, kEchoThresholdMost);
    }
    return look;
}

}  // namespace

std::optional<EtrReadingCommands::LevelStrengths> ParseLevelStrengths(const char* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    EtrReadingCommands::LevelStrengths strengths{};
    const char* at = text;
    const char* end = text + std::strlen(text);
    for (int level = 0; level < 16; ++level) {
        while (at < end && *at == ' ') {
            ++at;
        }
        int value = -1;
        const auto [next, error] = std::from_chars(at, end, value);
        if (error != std::errc() || value < 0 || value > 255 ||
            (level == 0 ? value != 0 : value < strengths[level - 1]) ||
            (next < end && *next != ' ')) {
            return std::nullopt;
        }
        strengths[level] = value;
        at = next;
    }
    while (at < end && *at == ' ') {
        ++at;
    }
    if (at != end) {
        return std::nullopt;
    }
    return strengths;
}

bool EtrReadingCommands::SetScale(const char* argument) {
    EchoLook look = styles_->GetEchoLook();
    if (argument == nullptr || *argument == '\0') {
        look.scale = static_cast<EchoScale>((static_cast<int>(look.scale) + 1) % kEchoScaleCount);
    } else if (const int index = ScaleIndex(argument); index >= 0) {
        look.scale = static_cast<EchoScale>(index);
    } else {
        return false;
    }
    styles_->SetEchoLook(look);
    return true;
}

std::optional<std::int32_t> EtrReadingCommands::Execute(const std::string& command,
                                                        const char* argument) {
    if (command == kCommandEtrLevelStrengths) {
        const auto strengths = ParseLevelStrengths(argument);
        if (strengths) {
            strengths_ = strengths;
        }
        return strengths ? 1 : 0;
    }
    const bool colourBar = command == kCommandShowHide && argument != nullptr &&
                           std::strcmp(argument, kGraphColourBar) == 0;
    if (command != kCommandEtrColours && !IsStep(command) && !colourBar) {
        return std::nullopt;
    }
    if (styles_ == nullptr) {
        return 0;
    }
    if (colourBar) {
        styles_->ShowColourBar(!styles_->IsColourBarShown());
        return 1;
    }
    if (command == kCommandEtrColours) {
        return SetScale(argument) ? 1 : 0;
    }
    styles_->SetEchoLook(Stepped(styles_->GetEchoLook(), command));
    return 1;
}

std::optional<std::int32_t> EtrReadingCommands::State(const std::string& command,
                                                      CommandState* state) const {
    const char* argument = state->argument;
    const bool colourBar = command == kCommandShowHide && argument != nullptr &&
                           std::strcmp(argument, kGraphColourBar) == 0;
    if (command == kCommandEtrLevelStrengths) {
        state->enabled = true;
        state->checked = strengths_.has_value();
        return 1;
    }
    if (command != kCommandEtrColours && !IsStep(command) && !colourBar) {
        return std::nullopt;
    }
    state->enabled = false;
    state->checked = false;
    if (styles_ == nullptr) {
        return 1;
    }
    const EchoLook& look = styles_->GetEchoLook();
    if (colourBar) {
        state->enabled = true;
        state->checked = styles_->IsColourBarShown();
    } else if (command == kCommandEtrColours) {
        const int index = ScaleIndex(argument);
        // Without a parameter: the step to the next scale, always there.
        state->enabled = index >= 0 || argument == nullptr || *argument == '\0';
        state->checked = index >= 0 && index == static_cast<int>(look.scale);
    } else {
        // Enabled while a step changes something; checked while not neutral.
        state->enabled = !(Stepped(look, command) == look);
        state->checked =
            command.find("GAIN") != std::string::npos ? look.gain != 0 : look.threshold != 0;
    }
    return 1;
}

std::string EtrReadingCommands::LevelLabel(int shownLevel) const {
    if (!strengths_) {
        return std::to_string(shownLevel);
    }
    const EchoLook look = styles_ != nullptr ? styles_->GetEchoLook() : EchoLook{};
    int lowest = -1;
    int highest = -1;
    for (int level = 0; level < 16; ++level) {
        const int top = level == 15 ? 255 : (*strengths_)[level + 1] - 1;
        if (top < (*strengths_)[level] ||
            ShownEchoLevel(level, look.gain, look.threshold) != shownLevel) {
            continue;
        }
        lowest = lowest < 0 ? (*strengths_)[level] : lowest;
        highest = top;
    }
    if (lowest < 0) {
        return "";
    }
    return lowest == highest ? std::to_string(lowest)
                             : std::to_string(lowest) + "-" + std::to_string(highest);
}
