#pragma once
// The commands that change how the echogram is read, not what the sounder
// sends: its colour scale, gain and threshold, its colour bar, and what a
// recording's levels stand for. They act on the module's style table, which
// every echogram display and A-scope draws from.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct CommandState;
class StyleTable;

class EtrReadingCommands {
  public:
    // The weakest recorded strength of each level.
    using LevelStrengths = std::array<int, 16>;

    void SetStyleTable(StyleTable* styles) { styles_ = styles; }
    const StyleTable* GetStyleTable() const { return styles_; }

    // nullopt for a command of another kind; else the command's result: 0 for
    // a value it refuses (nothing changes), 1 when carried out.
    std::optional<std::int32_t> Execute(const std::string& command, const char* argument);
    // nullopt for a command of another kind; else the flags are filled.
    std::optional<std::int32_t> State(const std::string& command, CommandState* state) const;

    // Set by the host for a recording; none for the simulated sounder, whose
    // levels are its own.
    const std::optional<LevelStrengths>& GetLevelStrengths() const { return strengths_; }

    // "w-x" the strengths a shown level covers under the look, "" for none;
    // the level number without strengths.
    std::string LevelLabel(int shownLevel) const;

  private:
    bool SetScale(const char* argument);

    StyleTable* styles_ = nullptr;
    std::optional<LevelStrengths> strengths_;
};

// 16 whole numbers 0..255, the first 0, none below the one before; nullopt
// for anything else.
std::optional<EtrReadingCommands::LevelStrengths> ParseLevelStrengths(const char* text);
