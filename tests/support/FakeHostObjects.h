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
