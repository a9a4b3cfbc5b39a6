#pragma once
// Scriptable host objects for tests.
#include <map>
#include <vector>

#include "hostfamily/HostObjects.h"
#include "hostfamily/Undefined.h"

class FakeDataSource : public HostDataSource {
  public:
    bool IsAvailable() override { return true; }
    double GetTime() override { return time; }
    void GetPosition(PosType* out) override {
        ++positionCalls;
        *out = position;
    }
    double GetHeading() override { return heading; }
    double GetSpeed() override { return kUndefined; }
    float GetLatestSample(const int& kind, int) override {
        auto it = samples.find(kind);
        return it == samples.end() ? kUndefinedFloat : it->second;
    }

    PosType position = NoPos;
    double heading = 0.0;
    double time = 0.0;
    std::map<int, float> samples;
    int positionCalls = 0;
};

class FakeVesselSource : public HostVesselSource {
  public:
    explicit FakeVesselSource(double d = 4.5, float c = kUndefinedFloat)
        : draught(d), correction(c) {}
    double GetLength() override { return 20.0; }
    float GetCorrection() override { return correction; }
    double GetDraught() override { return draught; }

    double draught;
    float correction;
};
