#pragma once
// A host data source under the test's control: a position, and the latest
// sample of each data kind (undefined unless set).
#include <map>
#include <utility>
#include <vector>

#include "hostfamily/HostObjects.h"
#include "hostfamily/Undefined.h"

class FakeDataSource final : public HostDataSource {
  public:
    bool IsAvailable() override { return true; }
    double GetTime() override { return kUndefined; }
    void GetPosition(PosType* p) override { *p = position; }
    double GetHeading() override { return 0.0; }
    double GetSpeed() override { return kUndefined; }
    float GetLatestSample(const int& kind, int positive) override {
        requests.emplace_back(kind, positive);
        const auto it = samples.find(kind);
        return it == samples.end() ? kUndefinedFloat : it->second;
    }

    PosType position = NoPos;
    std::map<int, float> samples;
    std::vector<std::pair<int, int>> requests;
};
