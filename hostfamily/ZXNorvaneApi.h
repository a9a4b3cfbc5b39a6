#pragma once
// The interface of the sounder library ("ZXNorvane.so"), loaded at run time
// from ../NORVANE/ beside the host executable through its one exported entry
// point, GetZXNorvaneAPI. The virtual operations are in the order the module
// and the library agree on: do not insert or reorder them.
#include <cstdint>

class OGRFeature;

// One ping as the library hands it over. The record belongs to the library and
// lives only for the callback; its fields are read in this order.
struct ZXRawSweep {
    int16_t reserved;       // not read
    uint16_t channel;       // 0 or 1
    uint8_t* samples;       // echo levels 0 to 15, the first at the window top
    uint32_t sampleCount;   // at most 1024
    uint32_t sampleStep;    // depth per sample, 21 fraction bits
    uint32_t reserved2;     // not read
    uint32_t startDepth;    // tenths of the sounder's depth unit
    uint32_t furtherDepth;  // tenths of the sounder's depth unit
};

extern "C" {
using ZXSweepCallback = void (*)(ZXRawSweep* sweep);
using ZXEventCallback = void (*)(int16_t code);
}

class ZXSounder {
  public:
    // 1-4: the callbacks. A callback may be called on the library's own
    // thread; after its unregistration it is never called again.
    virtual int32_t RegisterSweepCallback(ZXSweepCallback callback) = 0;
    virtual int32_t RegisterEventCallback(ZXEventCallback callback) = 0;
    virtual int32_t UnregisterSweepCallback(ZXSweepCallback callback) = 0;
    virtual int32_t UnregisterEventCallback(ZXEventCallback callback) = 0;
    // 5: the current frequency mode (1 to 5) and zoom mode (1 to 5).
    virtual int32_t GetModes(int16_t* frequencyMode, int16_t* zoomMode) = 0;
    // 6-7: range and shift of a channel, in the sounder's depth unit.
    virtual int32_t GetRange(int32_t channel, int32_t* range, int32_t* shift) = 0;
    virtual int32_t GetShift(int32_t channel, int32_t* shift) = 0;
    // 8: the eight ranges the user steps through; locked non-zero forbids changes.
    virtual int32_t GetRangeTable(int16_t* locked, int32_t ranges[8]) = 0;
    // 9: the depth unit (0 to 4); returns 0 when the unit is valid.
    virtual int16_t GetDepthUnit(int16_t* unit, int32_t* reserved) = 0;
    // 10: the sounder's own bottom detection, in tenths of its depth unit;
    // *valid is non-zero while it finds the bottom.
    virtual int32_t GetReferenceDepth(int32_t* reserved, int32_t* depth, int32_t* valid) = 0;
    // 11-12: changes that take effect on the next ping; the first argument
    // comes from the mode encoder.
    virtual int32_t SetMode(int32_t encodedMode) = 0;
    virtual int32_t SetRange(int32_t encoded, int32_t channel, int32_t range, int32_t shift) = 0;
    // 13: a new copy of a property set (0 HF, 1 LF), owned by the caller; null
    // when the set does not exist.
    virtual OGRFeature* GetProperties(int32_t set, int32_t reserved) = 0;
    // 14: takes the feature's values over (the feature stays the caller's);
    // non-zero when accepted, 0 when a value was refused and nothing changed.
    virtual int32_t SetProperties(OGRFeature* feature, int32_t set, int32_t reserved) = 0;

  protected:
    ~ZXSounder() = default;
};

class ZXModeEncoder {
  public:
    // 1: the value that SetMode takes for a (frequency mode, zoom mode) pair.
    virtual int32_t Encode(int16_t frequencyMode, int16_t zoomMode) = 0;
    // 2: the value that SetRange takes.
    virtual int32_t Encode() = 0;

  protected:
    ~ZXModeEncoder() = default;
};

class ZXNorvaneAPI {
  public:
    // 1-2: both objects belong to the library and live as long as it is loaded.
    virtual ZXSounder* GetSounder() = 0;
    virtual ZXModeEncoder* GetModeEncoder() = 0;

  protected:
    ~ZXNorvaneAPI() = default;
};

extern "C" {
using GetZXNorvaneAPIFunction = ZXNorvaneAPI* (*)();
}
