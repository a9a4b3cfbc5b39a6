#pragma once
// The depth ahead of the own ship: at every tick on which the ship moved, the
// host is asked for the depths at evenly spaced points on the line from the
// ship a fixed distance forward along its heading, and the answers replace
// the series, continuing the depth profile beyond the ship's distance.
#include <cstdint>
#include <optional>
#include <vector>

#include "graphdata/PlotrexDataProfile.h"
#include "hostfamily/HostObjects.h"

class PlotrexDataPrevision : public PlotrexDataProfile {
  public:
    static constexpr int kPointCount = 50;
    static constexpr double kLengthMetres = 500.0;
    static constexpr double kSquareMetres = 2000.0;

    PlotrexDataPrevision(DistanceTracker* tracker, const char* nameKey, const char* unitKey);

    PlotrexDisplay* CreateDisplay() override;
    void Update() override;
    // Keeps both (either may be null); the forecast is always kept.
    virtual bool Init(HostDepthSource* depthSource, HostVesselSource* vesselSource);

    HostVesselSource* GetVesselSource() const { return vesselSource_; }

    // Shallow water ahead, as the host found it in the depths it answered:
    // metres from the ship to the first shallow point, and its depth.
    struct ShallowAhead {
        double distance;
        double depth;
    };
    const std::optional<ShallowAhead>& GetShallowWarning() const { return shallow_; }
    // The shallow-water warning: "DISTANCE DEPTH" sets it, none clears it;
    // anything else is refused and changes nothing.
    std::int32_t ExecuteCommand(const char* command, const char* argument) override;
    std::int32_t GetCommandState(const char* command, CommandState* state) override;

    // The points asked of the host for a ship at (latitude, longitude) on a
    // heading, from the ship to length (radians of arc) ahead; empty when the
    // end cannot be computed.
    static std::vector<DepthQueryPoint> QueryPoints(double latitude, double longitude,
                                                    double heading, double length);
    // The square of side (radians of arc) centred on the ship, as (south,
    // west, north, east).
    struct Square {
        double south, west, north, east;
    };
    static Square QuerySquare(double latitude, double longitude, double side);

  private:
    bool AnyDisplayVisible();

    HostDepthSource* depthSource_ = nullptr;
    HostVesselSource* vesselSource_ = nullptr;
    std::optional<ShallowAhead> shallow_;
};
