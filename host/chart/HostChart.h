#pragma once
// The host's chart view: a Mercator chart of the voyage's area on which the
// module's display object symbolizes its marks, with the own ship. Like a
// navigation host, it asks the display object for its marks again whenever
// the object says so or the chart moved, and it tells the module's view,
// through commands, where on the depth track the mouse is.
#include <cstdint>
#include <functional>
#include <string>

#include "host/chart/ChartPainter.h"
#include "hostfamily/ZXFeature.h"
#include "hostfamily/displaylist/DisplayPrimitiveContainer.h"
#include "platform/CWnd.h"
#include "platform/MessageMap.h"

class ModuleDisplay;
class Symbolizable;

class HostChart : public CWnd {
  public:
    // Sends a named command to the module's view; its result (0: refused).
    using CommandSender = std::function<long(const char* name, const char* argument)>;
    // Depths on a grid of columns by rows over a box, NaN where unknown.
    using FloorSampler = std::function<DepthGrid(const GeoBox& box, int columns, int rows)>;

    // Mouse within this many pixels of the track moves the profile view.
    static constexpr double kTrackReach = 6.0;

    HostChart(ModuleDisplay* display, CommandSender send);

    // What the host knows at a cycle. The area grows to hold every position.
    void SetOwnShip(const PosType& position, double heading);
    void SetLightMode(int mode);
    // A sea floor to shade, and where it lies.
    void SetFloor(FloorSampler sampler, const GeoBox& bounds);
    // Symbolizes again when the display asks for it, when the chart moved or
    // when force says so, and repaints then. True when it symbolized.
    bool Refresh(bool force);

    const DisplayPrimitiveContainer& Marks() const { return marks_; }
    const ChartProjection& Projection() const { return projection_; }
    // The anchor mark, NoPos without one.
    PosType AnchorMark() const;
    // What the mouse found at a client point: the track's nearest position
    // within reach, NoPos when the track is farther.
    PosType TrackPositionAt(POINT point) const;

  protected:
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    void OnMouseMove(UINT flags, POINT point);
    void OnLButtonDown(UINT flags, POINT point);
    DECLARE_MESSAGE_MAP()

  private:
    // The area shown: the positions seen with room around them, widened to
    // the window's shape.
    void FitArea();
    void SendAt(const char* command, POINT point);

    ModuleDisplay* display_;
    Symbolizable* symbolizable_;
    CommandSender send_;
    DisplayPrimitiveContainer marks_;
    ZXFeature params_;
    int lightMode_ = 0;
    FloorSampler floorSampler_;
    // Sampled over the chart's rectangle when it moves.
    DepthGrid floor_;
    PosType ownShip_ = NoPos;
    double heading_ = 0.0;
    // What the voyage covered so far (radians).
    double south_ = 0, west_ = 0, north_ = 0, east_ = 0;
    bool seen_ = false;
    bool floorArea_ = false;  // the area is the floor's until the ship sails
    ChartProjection projection_{ValidGeoRect(), 0.0};
    bool moved_ = true;
};
