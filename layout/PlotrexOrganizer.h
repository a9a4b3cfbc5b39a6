#pragma once
// Lays the graphs of the profile view out in its window: the distance axis
// with its zoom level, one vertical axis per unit key, the slope, the first
// position and the mouse's points. Owns the view's rendering device; lists
// the displays of the graphs (their graph data owns them). Its commands,
// the keeping of the axes on the ship and the data, the frame and the
// settings are parts of their own; it holds the state they share.
// Slot order is fixed: ExecuteCommand, GetCommandState, destructor.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphdata/Commandable.h"
#include "graphdata/PlotrexDisplayContainer.h"
#include "layout/LinearPixelProjection.h"
#include "layout/LinearPixelProjectionLeveled.h"
#include "layout/ValueRange.h"
#include "platform/WinTypes.h"

class CWnd;
class DistanceTracker;
class DXDesktopDeviceManager;
class FramePainter;
class LayoutCommands;
class LayoutSettings;
class PlotrexData;
class PlotrexDataContainer;
class PlotrexDisplay;
class ProjectionUpdater;
class Serializater;
class StyleTable;
class VexanDevice;

// A mouse point that was never set, or was taken back.
inline constexpr POINT kNoPoint{6666, 6666};
inline bool IsNoPoint(POINT p) {
    return p.x == kNoPoint.x && p.y == kNoPoint.y;
}

class PlotrexOrganizer : public Commandable {
  public:
    using VerticalProjectionMap = std::map<std::string, LinearPixelProjection>;

    // Unit key whose "value at the anchor" is the vertical data value under it.
    static constexpr const char* kImmersion = "IMMERSION";
    // Levels up to this one are allowed whatever the data covers.
    static constexpr std::int16_t kFreeLevel = 10;
    static const double kMinSlope;  // 1/1024
    static const double kMaxSlope;  // 1024

    PlotrexOrganizer();
    PlotrexOrganizer(const PlotrexOrganizer&) = delete;
    PlotrexOrganizer& operator=(const PlotrexOrganizer&) = delete;

    // Layout commands; every other command goes to the graphs of the displays.
    // No exception gets out: a throwing handler counts as 0.
    std::int32_t ExecuteCommand(const char* command, const char* argument) override;
    std::int32_t GetCommandState(const char* command, CommandState* state) override;
    virtual ~PlotrexOrganizer();

    // Creates the device on the manager at the view's client size, a display
    // for each graph, the distance axis (unitsPerPixel data units per pixel at
    // referenceLevel) and the "DIST" and "TEMP" axes; ends at level 7, slope
    // 4. False without a view or when the device cannot be made or created.
    bool Init(CWnd* view, DXDesktopDeviceManager* deviceManager, const PlotrexDataContainer& graphs,
              DistanceTracker* tracker, StyleTable* styles, double unitsPerPixel,
              std::int16_t referenceLevel, const char* mainType);
    // The same on a device of the caller's choice (the software device, say),
    // which the organizer takes over and creates on the view.
    bool Init(CWnd* view, std::unique_ptr<VexanDevice> device, const PlotrexDataContainer& graphs,
              DistanceTracker* tracker, StyleTable* styles, double unitsPerPixel,
              std::int16_t referenceLevel, const char* mainType);
    // Hands every display back to its graph and deletes the device.
    void Shutdown();
    bool Resize(SIZE size);
    // One frame into the device's surface; nothing without a device.
    void Draw();
    bool Present();
    // Whether the layout or a visible display changed since the last Draw.
    bool NeedsRedraw();

    void Save(Serializater& s);
    // True when the settings held a layout (a level) to restore.
    bool Load(Serializater& s);

    // Zoom about the anchor point; clamped to 3..15. While the data is too
    // short for the level, a lower one is shown, and the view comes back to
    // the chosen one as soon as the data allows it.
    void SetLevel(std::int16_t level);
    // The level shown.
    std::int16_t GetLevel() const;
    // The level the user chose: the one shown, or the higher one waiting for
    // the data.
    std::int16_t GetChosenLevel() const;
    // Horizontal multiplier over the multiplier of the vertical axis in use;
    // 1.0 without one.
    double GetSlope();
    // False (nothing changes) outside [1/1024, 1024], without a vertical axis
    // in use, or when the slope is already that.
    bool SetSlope(double slope);
    // The slope against the chosen level, which is what a saved layout keeps.
    double GetChosenSlope();
    bool SetChosenSlope(double slope);
    void Scroll(int dx, int dy);
    void CenterOn(double x, double y);
    // Centres on the ship's distance at the last Update; nothing without a tracker.
    void CenterOnVessel();
    // The largest allowed level and/or the largest slope that shows the data;
    // with no ship to follow, the lowest level that shows all of it, in the
    // middle.
    void Fit(bool level, bool slope);
    // For a view with nothing to follow: as soon as there is data, the whole
    // of it in the window, as large as level and slope allow. A change of
    // level, slope or place before that takes it back.
    void FitWholeWhenDataShows();
    bool AwaitsDataToFit() const;
    // Bounds the level, follows the ship and keeps the first position on the data.
    void Update();

    // The vertical axis of a unit key; null, with a message to the user, when
    // there is none.
    LinearPixelProjection* GetProjection(const char* unitKey);
    // The unit key of the main graph, empty when it is not shown here.
    std::string GetYUnit();
    // The axis of the main graph's unit, null without one. A plain query: a
    // main graph without an axis is reported once, when the view is set up.
    LinearPixelProjection* GetYProjection();
    // The graph of the first display (visible or not) with that name key.
    PlotrexData* FindDataByName(const char* name);
    PlotrexDisplay* FindDisplayByName(const char* name);
    // The displays shown, in order.
    std::vector<PlotrexDisplay*> VisibleDisplays() const;

    // A real point also takes back the fixed point.
    void SetHoverPoint(POINT p);
    void SetFixedPoint(POINT p);
    POINT GetHoverPoint() const { return hoverPoint_; }
    POINT GetFixedPoint() const { return fixedPoint_; }
    // The fixed point, else the hover point, else the centre of the device.
    POINT GetAnchorPoint();
    // The value of the first visible graph of the unit key under the anchor
    // (its position in first and second); with "IMMERSION" the vertical value
    // under it. The undefined marker when no point is set or nothing answers.
    double GetValueAtAnchor(const char* unitKey, double* first, double* second);

    bool IsScaleLevelAllowed(const ValueRange& range, std::int16_t level, std::int16_t freeLevel);
    static bool IsValidSlope(double slope);

    // What the parts, the view and the tests read.
    VexanDevice* GetDevice() const { return device_.get(); }
    SIZE GetDeviceSize() const;
    PlotrexDisplayContainer& GetDisplays() { return displays_; }
    StyleTable* GetStyles() const { return styles_; }
    DistanceTracker* GetTracker() const { return tracker_; }
    double GetLastDistance() const { return lastDistance_; }
    LinearPixelProjectionLeveled& GetHorizontalProjection() { return horizontal_; }
    const VerticalProjectionMap& GetVerticalProjections() const { return verticals_; }
    const std::string& GetMainType() const { return mainType_; }
    bool IsModified() const { return modified_; }
    void SetModified() { modified_ = true; }

  private:
    // Following the ship moves every axis and keeps the ship's last distance
    // and the main graph's last value here.
    friend class ProjectionUpdater;

    // The tracker's distance before the first Update.
    static constexpr double kNoDistance = -1.0;

    void SetUpAxes(double unitsPerPixel, std::int16_t referenceLevel);
    void ReportMissingAxisInUse();
    // The vertical axis of a unit key, null without one; never reports.
    LinearPixelProjection* FindProjection(const std::string& unitKey);
    // The horizontal multiplier of the level chosen, shown or not.
    double ChosenMultiplier() const;
    double SlopeOf(const LinearPixelProjection* vertical, double horizontalMultiplier) const;
    // The slope against a horizontal multiplier, about the anchor point.
    bool ApplySlope(double slope, double horizontalMultiplier);

    std::unique_ptr<VexanDevice> device_;
    PlotrexDisplayContainer displays_;
    StyleTable* styles_ = nullptr;
    DistanceTracker* tracker_ = nullptr;
    double lastDistance_ = kNoDistance;
    POINT hoverPoint_ = kNoPoint;
    POINT fixedPoint_ = kNoPoint;
    VerticalProjectionMap verticals_;
    LinearPixelProjectionLeveled horizontal_;
    bool modified_ = false;
    std::string mainType_;
    double lastValue_;

    // The graph that made each display, which takes it back at Shutdown.
    std::vector<PlotrexData*> owners_;

    std::unique_ptr<ProjectionUpdater> updater_;
    std::unique_ptr<LayoutCommands> commands_;
    std::unique_ptr<FramePainter> painter_;
    std::unique_ptr<LayoutSettings> settings_;
};
