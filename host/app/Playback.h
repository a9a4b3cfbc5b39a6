#pragma once
// The replay in the window as the user steers it: played on the ship's clock
// at --speed times a factor the user halves and doubles, paused, stepped a
// cycle at a time, and sent ahead to any later time of the log. Going ahead
// sails the cycles in between as a headless run sails them, without drawing:
// each cycle the sounder pings up to its time and settles before the module
// polls, so the module holds what plain play to that time would hold.
#include <string>

#include "host/app/FeedIndex.h"
#include "host/app/RunParts.h"
#include "host/app/SdlDesktop.h"
#include "host/app/TimelineStrip.h"

class Playback {
  public:
    Playback(RunParts& parts, FeedIndex index) : parts_(parts), index_(std::move(index)) {}

    // Reads the first cycle ahead.
    void Start();
    // Real seconds passed: the ship's clock moves on unless paused.
    void Advance(double realSeconds);
    // Space, '[', ']', ',', '.', Home and End; false for other keys.
    bool Press(int key);
    // To ship time t; earlier times than now are refused (told).
    void SeekTo(double t);

    double Position() const { return shipSeconds_; }
    double Factor() const { return factor_; }
    bool Paused() const { return paused_; }
    std::size_t Cycles() const { return cycles_; }
    // "ship 1:02:03 - x2 - paused" for the title.
    std::string TitlePart() const;
    TimelineScene Scene() const;

  private:
    // Cycles due by the clock, as the window plays them.
    void CatchUp();
    // One cycle sailed as a headless run sails it.
    void SailOne();
    void ReadNext();

    RunParts& parts_;
    FeedIndex index_;
    ShipSnapshot next_;
    bool pending_ = false;
    double shipSeconds_ = 0.0;
    double factor_ = 1.0;
    bool paused_ = false;
    std::size_t cycles_ = 0;
};
