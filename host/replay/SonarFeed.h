#pragma once
// A replayed sonar recording: the ship's states for the host objects, read as
// an NMEA log is, and the recorded echoes for the sounder, read alongside by
// a second reader of the same file so that neither holds more than a frame.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/replay/LogFeed.h"
#include "host/replay/SounderFeed.h"
#include "platform/Error.h"
#include "sonarlog/SonarLog.h"
#include "sonarlog/SweepReducer.h"

class SonarFeed final : public LogFeed, public RecordedSweeps {
    struct OpenOnly {
        explicit OpenOnly() = default;
    };

  public:
    SonarFeed(OpenOnly, std::string path, EchoGain gain, double cycleSeconds);
    // Opens the recording and reads up to its first position; refused when
    // the file cannot be read, is not a recording or has no position. The
    // host cycles every cycleSeconds of the recording's time, on to its last
    // frame (the ship where it was last seen).
    static ErrorOr<std::unique_ptr<SonarFeed>> Open(const std::string& path, EchoGain gain,
                                                    double cycleSeconds = kDefaultCycleSeconds);

    std::string Describe() const override;
    double DraughtMetres() const override;
    bool NextSweep(double shipSeconds, ZXNorvaneRecordedSweep& sweep) override;

    // How the recorded strengths become the sounder's levels.
    const SweepReducer& Reducer() const { return reducer_; }
    // The summary's lines about the recording.
    std::string Summary() const;
    const SonarStats& Stats() const { return states_.Stats(); }
    bool ReadFailed() const { return states_.ReadFailed() || sweeps_.ReadFailed(); }
    // Sweeps handed on, HF and LF; frames of their channels passed over.
    std::int64_t SweepsGiven(bool lowFrequency) const { return given_[lowFrequency ? 1 : 0]; }
    std::int64_t PassedOver() const { return withoutSamples_ + emptyWindow_ + impossibleWindow_; }

    // Times that went back or leapt ahead, set aside.
    std::int64_t TimeJumps() const { return stateLatest_.clock.jumps; }

  private:
    // The recording's time made a timeline: never backwards, a leap ahead
    // taken only once the frames after it confirm it (a damaged time field
    // is a leap that the next frame takes back), and then joined on.
    struct Clock {
        double Next(double recorded);
        bool started = false;
        double lastRecorded = 0.0;
        double time = 0.0;
        double offset = 0.0;
        std::optional<double> leap;  // recorded time of frames beyond a leap
        int leapFrames = 0;
        std::int64_t jumps = 0;
    };
    // What the recording has said so far, frame after frame.
    struct Latest {
        Clock clock;
        std::optional<double> heading;
        std::optional<double> course;
        std::optional<double> speedKnots;
        std::optional<double> depthMetres;
        std::optional<double> temperatureCelsius;
    };
    struct Span {
        std::int64_t count = 0;
        double low = 0.0;
        double high = 0.0;
        void Widen(double value);
    };

    struct StatePlace;
    struct SweepPlace;

    bool ReadState(NmeaState& state) override;
    std::shared_ptr<const ReaderPlace> ReaderHere() const override;
    bool ResumeReader(const ReaderPlace& place) override;
    const std::string& FilePath() const override { return path_; }
    std::shared_ptr<const ReaderPlace> SideHere() const override;
    bool AcceptsSide(const ReaderPlace& place) const override;
    void ResumeSide(const ReaderPlace& place) override;
    // Takes in what a frame says of the ship, for its states and the summary.
    void Note(const SonarFrame& frame);
    // The ship's state at a frame with a position; the distance run grows.
    NmeaState StateAt(const SonarFrame& frame, double time);
    std::uint64_t ReadOffset() const override { return states_.Offset(); }
    std::uint64_t LogSize() const override { return states_.Size(); }
    LogTroubles TroublesRead() const override {
        return {stateLatest_.clock.jumps, states_.Stats().Damaged()};
    }
    // Whether the frame's echoes are the LF transducer's.
    bool LowFrequency(const SonarFrame& frame);

    std::string path_;
    SonarLog states_;
    SonarLog sweeps_;
    SweepReducer reducer_;
    Latest stateLatest_;
    Latest sweepLatest_;
    std::optional<NmeaState> lastState_;  // the latest with a position, given
    std::optional<double> keelMetres_;
    // Ranges over the whole recording, for the summary.
    Span depths_;
    Span temperatures_;
    std::optional<double> firstFrameTime_;
    double lastFrameTime_ = 0.0;
    double distanceMetres_ = 0.0;
    std::optional<std::pair<double, double>> lastPosition_;
    // The sweep reader's frame not yet due.
    std::optional<SonarFrame> pending_;
    double pendingTime_ = 0.0;
    std::vector<std::uint8_t> samples_;
    std::vector<std::uint8_t> levels_;
    std::optional<std::uint8_t> bandCode_[2];  // last frequency code of primary, secondary
    std::int64_t given_[2] = {0, 0};
    // Frames of the two channels passed over before the sounder.
    std::int64_t withoutSamples_ = 0;
    std::int64_t emptyWindow_ = 0;
    std::int64_t impossibleWindow_ = 0;
};
