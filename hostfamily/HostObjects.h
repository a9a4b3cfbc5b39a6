#pragma once
// The host objects that a module receives at initialisation. Modules reach
// them only through their operations, at fixed places in each table: the
// order of declaration below is part of the contract.
#include <cstdint>
#include <vector>

#include "hostfamily/PosType.h"

class LayerKeyIndexed;

// Data kinds of the host's samples.
inline constexpr int kDataKindDepth = 8;
inline constexpr int kDataKindTemperature = 14;

class HostDataSource {
  public:
    // 1: whether the source currently delivers data.
    virtual bool IsAvailable() = 0;
    // 2: the time of the latest data, seconds since 1970 (undefined marker when none).
    virtual double GetTime() = 0;
    // 3: the own ship's current position, NoPos when there is none.
    virtual void GetPosition(PosType* position) = 0;
    // 4: the own ship's heading in radians from north.
    virtual double GetHeading() = 0;
    // 5: the speed over ground in knots (undefined marker when none).
    virtual double GetSpeed() = 0;
    // 6: the latest sample of a data kind (undefined marker when none); with
    // positive true the host returns the magnitude as measured (depths positive).
    virtual float GetLatestSample(const int& kind, int positive) = 0;
    virtual ~HostDataSource() = default;
};

class HostNotificationSink {
  public:
    // 1: something of a module changed; code 2 with a layer key says that a
    // layer's content must be read again.
    virtual void Notify(const std::int32_t* code, const LayerKeyIndexed* key) = 0;
    virtual ~HostNotificationSink() = default;
};

// A point of a depth query: position in, depth out.
struct DepthQueryPoint {
    double first = 0.0;
    double second = 0.0;
    double depth = 0.0;
};

class HostDepthSource {
  public:
    // 1: whether charted depths are loaded at all.
    virtual bool IsAvailable() = 0;
    // 2: the deepest depth the source knows in its area (undefined marker when none).
    virtual double GetMaximumDepth() = 0;
    // 3: fills the depth of every point from the data of the given kind inside
    // the square (south, west, north, east in radians); false when it cannot answer.
    // Depths are positive, in metres below the surface (0.0: none there): the
    // forecast negates them, so an elevation must be turned into a depth first.
    virtual bool QueryDepths(std::vector<DepthQueryPoint>& points, double south, double west,
                             double north, double east, const int& kind) = 0;
    virtual ~HostDepthSource() = default;
};

class HostVesselSource {
  public:
    // 1: the vessel's length overall in metres.
    virtual double GetLength() = 0;
    // 2: the correction applied to charted depths (tide), undefined marker when none.
    virtual float GetCorrection() = 0;
    // 3: the draught, a positive depth in metres.
    virtual double GetDraught() = 0;
    virtual ~HostVesselSource() = default;
};
