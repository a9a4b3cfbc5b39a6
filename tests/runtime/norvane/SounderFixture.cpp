#include "tests/runtime/norvane/SounderFixture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace norvanetest {

namespace {

ZXSounder* gSounder = nullptr;

}  // namespace

std::vector<Sweep> gSweeps;
std::vector<int16_t> gEvents;
std::function<void(const Sweep&)> gDuringSweep;

void OnSweep(ZXRawSweep* raw) {
    Sweep sweep;
    sweep.channel = raw->channel;
    sweep.start = raw->startDepth;
    sweep.further = raw->furtherDepth;
    sweep.step = raw->sampleStep;
    sweep.levels.assign(raw->samples, raw->samples + raw->sampleCount);
    gSounder->GetModes(&sweep.frequencyMode, &sweep.zoomMode);
    int32_t reserved = 0;
    gSounder->GetReferenceDepth(&reserved, &sweep.reference, &sweep.referenceValid);
    // A reader may rewrite the record in place (the module converts units).
    raw->startDepth = 0xDEAD;
    raw->sampleCount = 1;
    gSweeps.push_back(sweep);
    if (gDuringSweep) {
        gDuringSweep(gSweeps.back());
    }
}

void OnEvent(int16_t code) {
    gEvents.push_back(code);
}

double SampleDepth(const Sweep& sweep, int i) {
    return 0.1 * (sweep.start + i * (sweep.step / 2097152.0));
}

double SampleMetres(const Sweep& sweep) {
    return 0.1 * sweep.step / 2097152.0;
}

std::optional<int> BottomOnset(const Sweep& sweep) {
    const int width = std::max(1, static_cast<int>(std::ceil(0.3 / SampleMetres(sweep) - 1e-6)));
    const auto solid = [&](int i) {
        for (int j = i; j < i + width; ++j) {
            if (sweep.levels[j] < 14) {
                return false;
            }
        }
        return true;
    };
    int i = static_cast<int>(sweep.levels.size()) - width;
    while (i >= 0 && !solid(i)) {
        --i;
    }
    if (i < 0) {
        return std::nullopt;
    }
    // Up through the speckle of the echo, to water wider than 30 cm.
    int onset = i;
    for (int k = i; k >= 0 && onset - k <= width; --k) {
        if (sweep.levels[k] >= 14) {
            onset = k;
        }
    }
    return SampleDepth(sweep, onset) > 3.0 ? std::optional<int>(onset) : std::nullopt;
}

int Thickness(const Sweep& sweep, int from) {
    const int stop = std::min(static_cast<int>(sweep.levels.size()),
                              from + static_cast<int>(10.0 / SampleMetres(sweep)));
    int count = 0;
    for (int i = from; i < stop; ++i) {
        count += sweep.levels[i] != 0 ? 1 : 0;
    }
    return count;
}

bool SameValues(OGRFeature* a, OGRFeature* b) {
    if (a->GetFieldCount() != b->GetFieldCount()) {
        return false;
    }
    for (int i = 0; i < a->GetFieldCount(); ++i) {
        if (std::strcmp(a->GetFieldDefnRef(i)->GetNameRef(), b->GetFieldDefnRef(i)->GetNameRef()) !=
                0 ||
            a->GetFieldAsDouble(i) != b->GetFieldAsDouble(i)) {
            return false;
        }
    }
    return true;
}

void NorvaneSounderTest::SetUp() {
    ASSERT_TRUE(lib_.Loaded());
    Restart(1);
    gSounder = lib_.sounder;
    gSweeps.clear();
    gEvents.clear();
    gDuringSweep = nullptr;
    lib_.sounder->RegisterSweepCallback(OnSweep);
    lib_.sounder->RegisterEventCallback(OnEvent);
}

void NorvaneSounderTest::TearDown() {
    lib_.sounder->UnregisterSweepCallback(OnSweep);
    lib_.sounder->UnregisterEventCallback(OnEvent);
    gDuringSweep = nullptr;
}

void NorvaneSounderTest::Restart(uint32_t seed, double fixedInterval) {
    const ZXNorvaneOptions options{seed, 0, fixedInterval, 1};
    lib_.reset(&options);
}

bool NorvaneSounderTest::SetProperty(int set, const char* field, double value) {
    OGRFeature* feature = lib_.sounder->GetProperties(set, 0);
    if (feature == nullptr) {
        return false;
    }
    feature->SetField(field, value);
    const bool accepted = lib_.sounder->SetProperties(feature, set, 0) != 0;
    OGRFeature::DestroyFeature(feature);
    return accepted;
}

double NorvaneSounderTest::Property(int set, const char* field) {
    OGRFeature* feature = lib_.sounder->GetProperties(set, 0);
    const double value = feature->GetFieldAsDouble(field);
    OGRFeature::DestroyFeature(feature);
    return value;
}

std::vector<Sweep> NorvaneSounderTest::PingOnce() {
    gSweeps.clear();
    lib_.ping();
    return gSweeps;
}

}  // namespace norvanetest
