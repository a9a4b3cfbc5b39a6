#pragma once
// What the host tells its echo-sounder: the sea floor under the ship and the
// ship's time, every cycle, so that the sounder pings on the ship's clock; and
// what the sounder reports back for the summary. The sounder library is the
// one the module loads (../NORVANE/ beside the program); the host opens it
// too, and goes without it when it is missing (the module reports that).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/replay/ShipFeed.h"
#include "hostfamily/ZXNorvaneControl.h"

// Where recorded sweeps come from while a recording plays.
class RecordedSweeps {
  public:
    virtual ~RecordedSweeps() = default;
    // The next recorded sweep due by the ship's time shipSeconds; false when
    // none is due yet or the recording is over. Its levels stay valid until
    // the next call.
    virtual bool NextSweep(double shipSeconds, ZXNorvaneRecordedSweep& sweep) = 0;
};

class SounderFeed {
  public:
    // What the feed itself carries from cycle to cycle, beside the sounder's
    // state. The recording being played is not in it: where it stands is the
    // recording's own, and the host that jumps moves it.
    struct OwnState {
        double lastDepth = 0.0;  // the floor a cycle without a sounding keeps
        bool settleTimedOut = false;
    };

    // Opens the library and starts the sounder afresh on the ship's clock:
    // before the first cycle it does not ping.
    explicit SounderFeed(const std::string& executableFolder);
    ~SounderFeed();
    SounderFeed(const SounderFeed&) = delete;
    SounderFeed& operator=(const SounderFeed&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    // From now on the sounder plays the recording's sweeps instead of
    // pinging, each at its time on the ship's clock. False when the library
    // cannot play recordings.
    bool Play(RecordedSweeps& recording);
    // The ship at this cycle: the environment, and the clock set to its time.
    void Sail(const ShipSnapshot& snapshot);
    // The ship at a later cycle, known ahead; the clock stays.
    void Forecast(const ShipSnapshot& snapshot);
    // Moves the clock alone (a window sailing in real time).
    void Clock(double shipSeconds);
    // Waits until the pings due so far have been handed over, so that a
    // headless run polls the same sweeps at each cycle as a slow one.
    void Settle();
    // True: the pings due at each Settle are made there, on the caller's
    // thread, instead of handed to the library's thread and waited for; the
    // same pings either way. For a run that settles many cycles in a row.
    void PingHere(bool here);
    std::optional<ZXNorvaneStatistics> Statistics() const;
    // The sounder's whole state, for a later RestoreState (also after the
    // library was loaded afresh); nothing without the library or a library
    // that cannot save.
    std::optional<std::vector<std::uint8_t>> SaveState() const;
    // False, with the sounder as it was, for a state the library refuses or
    // when it cannot restore one.
    bool RestoreState(const std::vector<std::uint8_t>& state);
    OwnState Own() const { return {lastDepth_, settleTimedOut_}; }
    void RestoreOwn(const OwnState& state) {
        lastDepth_ = state.lastDepth;
        settleTimedOut_ = state.settleTimedOut;
    }
    // The summary's lines about the sounder; empty without the library.
    std::string Summary() const;

    // How hard the floor is where the host knows only its depth: shallow banks
    // of sand and gravel, soft mud in the deep.
    static double HardnessFor(const ShipSnapshot& snapshot, double depthMetres);

  private:
    ZXNorvaneEnvironment EnvironmentOf(const ShipSnapshot& snapshot);
    // Hands the sounder the recorded sweeps due by shipSeconds.
    void HandRecorded(double shipSeconds);

    void* handle_ = nullptr;
    ZXNorvaneResetFunction reset_ = nullptr;
    ZXNorvaneSetEnvironmentFunction setEnvironment_ = nullptr;
    ZXNorvaneForecastEnvironmentFunction forecast_ = nullptr;
    ZXNorvaneSetShipTimeFunction setShipTime_ = nullptr;
    ZXNorvaneWaitIdleFunction waitIdle_ = nullptr;
    ZXNorvaneCatchUpFunction catchUp_ = nullptr;
    ZXNorvaneSetThreadedFunction setThreaded_ = nullptr;
    bool pingHere_ = false;
    ZXNorvaneGetStatisticsFunction getStatistics_ = nullptr;
    ZXNorvanePlaybackFunction playback_ = nullptr;
    ZXNorvanePlaySweepFunction playSweep_ = nullptr;
    ZXNorvaneSaveStateFunction saveState_ = nullptr;
    ZXNorvaneRestoreStateFunction restoreState_ = nullptr;
    RecordedSweeps* recording_ = nullptr;
    double lastDepth_ = 0.0;
    bool settleTimedOut_ = false;
};
