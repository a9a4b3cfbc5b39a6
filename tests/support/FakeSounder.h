#pragma once
// A scriptable stand-in for the sounder library, installed as the process-wide
// library for the life of the object.
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "echo/SounderLibrary.h"
#include "persistence/OgrHeaders.h"

class FakeSounder final : public ZXNorvaneAPI, public ZXSounder, public ZXModeEncoder {
  public:
    // Encoded modes are frequency * 16 + zoom; the range encoding is kRangeCode.
    static constexpr std::int32_t kRangeCode = 77;

    struct RangeCall {
        std::int32_t encoded, channel, range, shift;
        friend bool operator==(const RangeCall&, const RangeCall&) = default;
    };

    FakeSounder() : previous_(SetSounderLibrary(this)) {
        for (int set = 0; set < 2; ++set) {
            definitions_[set] = new OGRFeatureDefn(set == 0 ? "HF" : "LF");
            definitions_[set]->Reference();
            OGRFieldDefn gain("GAIN", OFTInteger);
            definitions_[set]->AddFieldDefn(&gain);
            OGRFieldDefn frequency("FREQUENCY_KHZ", OFTReal);
            definitions_[set]->AddFieldDefn(&frequency);
            gain_[set] = 10 + set;
        }
    }
    ~FakeSounder() {
        SetSounderLibrary(previous_);
        for (OGRFeatureDefn* definition : definitions_) {
            definition->Release();
        }
    }
    FakeSounder(const FakeSounder&) = delete;
    FakeSounder& operator=(const FakeSounder&) = delete;

    ZXSounder* GetSounder() override { return this; }
    ZXModeEncoder* GetModeEncoder() override { return this; }

    std::int32_t RegisterSweepCallback(ZXSweepCallback callback) override {
        sweepCallback = callback;
        return 1;
    }
    std::int32_t RegisterEventCallback(ZXEventCallback callback) override {
        eventCallback = callback;
        return 1;
    }
    std::int32_t UnregisterSweepCallback(ZXSweepCallback callback) override {
        if (sweepCallback == callback) {
            sweepCallback = nullptr;
        }
        return 1;
    }
    std::int32_t UnregisterEventCallback(ZXEventCallback callback) override {
        if (eventCallback == callback) {
            eventCallback = nullptr;
        }
        return 1;
    }
    std::int32_t GetModes(std::int16_t* f, std::int16_t* z) override {
        *f = frequency;
        *z = zoom;
        return 1;
    }
    std::int32_t GetRange(std::int32_t channel, std::int32_t* r, std::int32_t* s) override {
        *r = range[channel & 1];
        *s = shift[channel & 1];
        return 1;
    }
    std::int32_t GetShift(std::int32_t channel, std::int32_t* s) override {
        *s = shift[channel & 1];
        return 1;
    }
    std::int32_t GetRangeTable(std::int16_t* l, std::int32_t ranges[8]) override {
        *l = locked;
        for (int i = 0; i < 8; ++i) {
            ranges[i] = table[static_cast<std::size_t>(i)];
        }
        return 1;
    }
    std::int16_t GetDepthUnit(std::int16_t* unit, std::int32_t*) override {
        *unit = depthUnit;
        return depthUnitResult;
    }
    std::int32_t GetReferenceDepth(std::int32_t*, std::int32_t* depth,
                                   std::int32_t* valid) override {
        *depth = referenceDepth;
        *valid = referenceValid;
        return 1;
    }
    std::int32_t SetMode(std::int32_t encoded) override {
        modeCalls.push_back(encoded);
        return 1;
    }
    std::int32_t SetRange(std::int32_t encoded, std::int32_t channel, std::int32_t r,
                          std::int32_t s) override {
        rangeCalls.push_back({encoded, channel, r, s});
        return 1;
    }
    OGRFeature* GetProperties(std::int32_t set, std::int32_t) override {
        fetchedSets.push_back(set);
        if (noProperties || set < 0 || set > 1) {
            return nullptr;
        }
        auto* feature = OGRFeature::CreateFeature(definitions_[set]);
        feature->SetField("GAIN", gain_[set]);
        feature->SetField("FREQUENCY_KHZ", set == 0 ? 200.0 : 38.0);
        return feature;
    }
    std::int32_t SetProperties(OGRFeature* feature, std::int32_t set, std::int32_t) override {
        storedSets.push_back(set);
        if (refuseProperties) {
            return 0;
        }
        if (feature != nullptr && set >= 0 && set <= 1) {
            gain_[set] = feature->GetFieldAsInteger("GAIN");
        }
        return 1;
    }
    std::int32_t Encode(std::int16_t f, std::int16_t z) override { return f * 16 + z; }
    std::int32_t Encode() override { return kRangeCode; }

    static std::pair<int, int> Decode(std::int32_t encoded) { return {encoded / 16, encoded % 16}; }
    int Gain(int set) const { return gain_[set]; }
    void SetGain(int set, int value) { gain_[set] = value; }

    std::int16_t frequency = 1;
    std::int16_t zoom = 1;
    std::array<std::int32_t, 2> range{100, 100};
    std::array<std::int32_t, 2> shift{0, 0};
    std::array<std::int32_t, 8> table{10, 20, 50, 100, 200, 500, 1000, 2000};
    std::int16_t locked = 0;
    std::int16_t depthUnit = 0;
    std::int16_t depthUnitResult = 0;
    std::int32_t referenceDepth = 0;
    std::int32_t referenceValid = 0;
    bool noProperties = false;
    bool refuseProperties = false;
    ZXSweepCallback sweepCallback = nullptr;
    ZXEventCallback eventCallback = nullptr;
    std::vector<std::int32_t> modeCalls;
    std::vector<RangeCall> rangeCalls;
    std::vector<std::int32_t> fetchedSets;
    std::vector<std::int32_t> storedSets;

  private:
    ZXNorvaneAPI* previous_;
    std::array<OGRFeatureDefn*, 2> definitions_{};
    std::array<int, 2> gain_{};
};
