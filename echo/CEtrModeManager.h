#pragma once
// The module's view of the sounder's display mode: which channel a pane
// shows, what kind of window a channel has, and the mode changes behind the
// echo-sounder commands. The mode itself lives in the sounder and is read
// afresh by every operation; only the selected frequency is kept here.
#include <cstdint>

// What a channel's pane shows.
enum EtrPaneKind : std::int32_t {
    kPaneDualFrequency = 0,
    kPaneSingleFrequency = 1,
    kPaneMarkerZoom = 2,
    kPaneBottomZoom = 3,
    kPaneBottomLock = 4,
    kPaneBottomDiscrimination = 5,
};

// The sounder's (frequency mode, zoom mode) pair.
struct EtrModes {
    std::int16_t frequency = 0;
    std::int16_t zoom = 0;
};

class CEtrModeManager {
  public:
    CEtrModeManager() = default;
    virtual ~CEtrModeManager();

    static EtrModes ReadModes();

    // Leaves kind unchanged for a zoom mode the table does not know.
    void GetPaneKind(std::int16_t channel, std::int32_t* kind) const;
    int GetActiveChannel(bool main) const;
    bool HasSecondPane() const;
    std::int16_t IsLowFrequencySingle() const;
    void ToggleFrequency();
    void SetDisplay(std::int32_t index);
    void GetDisplayState(std::int32_t index, bool* enabled, bool* checked) const;
    void GetFrequencyState(bool isHF, bool* enabled, bool* checked) const;

    // One step through the range table, applied to both channels.
    void StepRange(bool up);
    bool IsAtRangeLimit(bool upper) const;
    bool IsAtShiftLimit(bool upper) const;

    // 1 while commands act on HF, 0 on LF.
    std::int32_t GetSelectedFrequency() const { return selectedFrequency_; }
    void SetSelectedFrequency(std::int32_t value) { selectedFrequency_ = value; }

  private:
    // HF or LF, as the commands see it for these modes.
    bool IsHighFrequency(const EtrModes& modes) const;

    std::int32_t selectedFrequency_ = 1;
};

// The process-wide manager.
CEtrModeManager& GetEtrModeManager();
