#pragma once
// The simulated sounder's own entry points, beside GetZXNorvaneAPI: what a
// host or a test needs to drive a sounder that has no water under it. The
// host tells it the ship's time and what lies under the keel; the sounder
// pings on the ship's clock, never on the wall clock, once a time was given.
// Resolve them with dlsym like the API entry point.
#include <cstdint>

// What the sounder sees, at a moment of the ship's time.
struct ZXNorvaneEnvironment {
    double shipTimeSeconds;  // the ship's clock; pings fall due on it
    double depthMetres;      // sea floor under the transducer; <= 0 or NaN: no bottom in reach
    double hardness;         // 0 soft mud .. 1 rock
    double speedKnots;       // through the water
};

// Factory state for a run: the random parts of the echoes follow the seed.
struct ZXNorvaneOptions {
    uint32_t seed;
    int32_t threaded;             // non-zero: the library's thread pings; 0: only ZXNorvanePing
    double fixedIntervalSeconds;  // > 0 (1 ms to an hour): ping at this interval, not the range's
    int32_t shipClock;            // non-zero: no ping before the first ship time is given;
                                  // 0: the wall clock runs until then
};

struct ZXNorvaneStatistics {
    uint64_t sweeps[2];      // sweeps handed to the sweep callbacks, per channel
    uint64_t pings;          // pings made, whether or not anyone listened
    uint64_t events;         // events raised
    int32_t referenceDepth;  // last bottom detection, tenths of the depth unit
    int32_t referenceValid;  // non-zero when the last ping found the bottom
    double lastPingSeconds;  // ship time of the last ping
    uint64_t played;         // recorded sweeps handed on while playing a recording
    uint64_t playRefused;    // recorded sweeps refused (no room, bad window or samples)
};

// No sea is deeper: a recorded window reaching further up or down than this is
// damage, not a sounding.
constexpr double kZXNorvaneDeepestWindowMetres = 11000.0;

// One sweep of a recording, handed to the sounder to play back. The library
// copies it: the caller's buffers may go as soon as the call returns.
struct ZXNorvaneRecordedSweep {
    double shipTimeSeconds;  // when the sounder hands it on, on the ship's clock
    int32_t lowFrequency;    // non-zero: the LF transducer's, else HF's
    double topMetres;        // window of the samples, downwards from the surface
    double bottomMetres;
    double depthMetres;     // the bottom the recording found there; <= 0 or NaN: none
    const uint8_t* levels;  // echo levels 0 to 15, the first at the window top
    uint32_t count;         // 1 to 1024
};

// Event codes handed to the event callbacks.
enum ZXNorvaneEvent : int16_t {
    kZXNorvaneModeChanged = 1,
    kZXNorvaneRangeChanged = 2,
    kZXNorvanePropertiesChanged = 3,
    kZXNorvaneAutoRangeChanged = 4,  // the sounder stepped its own range
};

extern "C" {
// Gives the environment and the ship's time; pings that fall due up to that
// time follow (on the thread, or at the next ZXNorvaneCatchUp). A time
// earlier than the last one starts a new timeline there. 1 when taken, 0 for
// a null pointer or a time that is not finite or beyond 1e12 s. Depths past
// kZXNorvaneDeepestWindowMetres and speeds past 1000 knots are held there.
int32_t ZXNorvaneSetEnvironment(const ZXNorvaneEnvironment* environment);
// What the sounder will find at a later ship time, known ahead (a host
// sailing in real time knows its next cycle): taken as a sample of the
// environment without moving the clock. A time before the last sample's
// replaces the samples from there on. 1 when taken.
int32_t ZXNorvaneForecastEnvironment(const ZXNorvaneEnvironment* environment);
// Moves the ship's clock alone; the environment between samples is
// interpolated. 1 when taken, 0 for a time that is not finite or beyond
// 1e12 s.
int32_t ZXNorvaneSetShipTime(double shipTimeSeconds);
// Back to the factory settings with these options; statistics cleared, the
// registered callbacks kept. Null: the default options (seed 1, threaded,
// wall clock until a ship time comes).
int32_t ZXNorvaneReset(const ZXNorvaneOptions* options);
// Without the thread only: one ping now, delivered on the caller's thread.
// The number of sweeps it made; -1 while the thread runs.
int32_t ZXNorvanePing();
// Without the thread only: every ping due up to the last ship time given, on
// the caller's thread. The number of pings; -1 while the thread runs.
int32_t ZXNorvaneCatchUp();
// With the thread: waits until the pings due up to the last ship time are
// delivered. 1 when they are, 0 on timeout.
int32_t ZXNorvaneWaitIdle(uint32_t timeoutMilliseconds);
// Non-zero: the library's thread pings from now on; 0: only ZXNorvanePing and
// ZXNorvaneCatchUp, on the caller's thread. Nothing else changes: the pings
// are the same either way, in the same order. A host that waits for every
// cycle's pings anyway saves the hand-over to the thread and back. 1.
int32_t ZXNorvaneSetThreaded(int32_t on);
// 1 and the figures so far; 0 for a null pointer.
int32_t ZXNorvaneGetStatistics(ZXNorvaneStatistics* statistics);
// Non-zero: the sounder plays recorded sweeps instead of pinging (modes,
// ranges and properties still answer and change as before; the modes choose
// which recorded frequency goes to which channel). 0: back to pinging, the
// sweeps not yet played dropped. 1 when taken.
int32_t ZXNorvanePlayback(int32_t on);
// Queues a recorded sweep while playing. The sounder's thread (or
// ZXNorvaneCatchUp without it) hands it to the sweep callbacks once the
// ship's clock reaches its time, in the order given; its depth becomes the
// reference depth. 1 when queued; 0 when not playing, for a null pointer, a
// count of 0 or above 1024, a window that is not finite, not downwards or
// reaching beyond kZXNorvaneDeepestWindowMetres, or a full queue.
int32_t ZXNorvanePlaySweep(const ZXNorvaneRecordedSweep* sweep);
// The sounder's whole state between two pings (settings, options but the
// threaded switch, the ship's timeline, the detectors, the automatic range,
// statistics, the recording waiting to play), without the callbacks. The
// size it needs; written only when capacity holds it, so ask with 0 first
// and again when a later answer is larger (a running sounder moves on).
// 0 on failure.
int32_t ZXNorvaneSaveState(uint8_t* buffer, uint32_t capacity);
// Takes back a state ZXNorvaneSaveState gave, also after a reset or in a
// library loaded afresh; the threaded switch and the callbacks stay. 1 when
// restored; 0, with nothing changed, for a blob that is cut short, damaged,
// of another version or holding values the sounder cannot take.
int32_t ZXNorvaneRestoreState(const uint8_t* buffer, uint32_t size);
}

using ZXNorvaneSetEnvironmentFunction = int32_t (*)(const ZXNorvaneEnvironment*);
using ZXNorvaneForecastEnvironmentFunction = int32_t (*)(const ZXNorvaneEnvironment*);
using ZXNorvaneSetShipTimeFunction = int32_t (*)(double);
using ZXNorvaneResetFunction = int32_t (*)(const ZXNorvaneOptions*);
using ZXNorvanePingFunction = int32_t (*)();
using ZXNorvaneCatchUpFunction = int32_t (*)();
using ZXNorvaneWaitIdleFunction = int32_t (*)(uint32_t);
using ZXNorvaneSetThreadedFunction = int32_t (*)(int32_t);
using ZXNorvaneGetStatisticsFunction = int32_t (*)(ZXNorvaneStatistics*);
using ZXNorvanePlaybackFunction = int32_t (*)(int32_t);
using ZXNorvanePlaySweepFunction = int32_t (*)(const ZXNorvaneRecordedSweep*);
using ZXNorvaneSaveStateFunction = int32_t (*)(uint8_t*, uint32_t);
using ZXNorvaneRestoreStateFunction = int32_t (*)(const uint8_t*, uint32_t);
