#pragma once
// The sounder library loaded as the module loads it, pinging synchronously,
// with what its callbacks saw and the measures the tests take of a sweep.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <gtest/gtest.h>
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <ogr_feature.h>
#pragma GCC diagnostic pop

#include "tests/support/NorvaneLibrary.h"

namespace norvanetest {

struct Sweep {
    int channel = 0;
    uint32_t start = 0;
    uint32_t further = 0;
    uint32_t step = 0;
    std::vector<uint8_t> levels;
    // What the sounder answered from inside the callback.
    int16_t frequencyMode = 0;
    int16_t zoomMode = 0;
    int32_t reference = 0;
    int32_t referenceValid = 0;
};

extern std::vector<Sweep> gSweeps;
extern std::vector<int16_t> gEvents;
extern std::function<void(const Sweep&)> gDuringSweep;

// The callbacks every test registers: they record into gSweeps and gEvents.
void OnSweep(ZXRawSweep* raw);
void OnEvent(int16_t code);

// Depth in metres of the top of sample i (metres as the unit).
double SampleDepth(const Sweep& sweep, int i);
double SampleMetres(const Sweep& sweep);
// Where the bottom starts, the second echo being out of the window: the top of
// the deepest stretch where every 30 cm stays at 14 or more. Run with a
// threshold of 14, which leaves the bottom, schools, big fish and the surface
// band, with water between them.
std::optional<int> BottomOnset(const Sweep& sweep);
// Samples left by the threshold in the 10 m from a sample on.
int Thickness(const Sweep& sweep, int from);
bool SameValues(OGRFeature* a, OGRFeature* b);

class NorvaneSounderTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    void Restart(uint32_t seed, double fixedInterval = 0.0);
    bool SetProperty(int set, const char* field, double value);
    double Property(int set, const char* field);
    // Pings once and returns the sweeps of that ping.
    std::vector<Sweep> PingOnce();

    NorvaneLibrary lib_;
};

}  // namespace norvanetest
