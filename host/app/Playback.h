#pragma once
// The replay in the window as the user steers it: played on the ship's clock
// at --speed times a factor the user halves and doubles, paused, stepped a
// cycle at a time either way, and sent to any time of the log. Every cycle is
// sailed as a headless run sails it: the sounder pings up to the cycle's time
// and settles before the module polls, so what the module holds at a time
// does not depend on how fast, or in how many jumps, the replay got there.
// Going ahead sails the cycles in between without drawing; going back starts
// the module, the sounder and the log afresh and sails from the start, or
// from a place kept on the way (ReplayCheckpoints) far enough before the
// target; going far ahead resumes from such a place too, when the replay was
// there before.
// Either way the view is opened afresh on the user's layout and centred on
// the ship: a view that followed the ship from frame to frame holds where it
// was at the frames drawn, which a seek must not carry over. In the window a
// long jump is sailed a slice at a time between the window's events, so that
// it shows how far it got and the user can stop it or send it elsewhere.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/app/FeedIndex.h"
#include "host/app/PlaceScout.h"
#include "host/app/ReplayCheckpoints.h"
#include "host/app/RunParts.h"
#include "host/app/SdlDesktop.h"
#include "host/app/TimelineStrip.h"

class Playback {
  public:
    // checkpointSpacing: cycles between places kept, 0 for none.
    Playback(RunParts& parts, FeedIndex index,
             std::size_t checkpointSpacing = ReplayCheckpoints::kSpacing)
        : parts_(parts), index_(std::move(index)), checkpoints_(checkpointSpacing) {}

    // Reads the first cycle ahead.
    void Start();
    // Real seconds passed: the ship's clock moves on unless paused.
    void Advance(double realSeconds);
    // Space, '[', ']', ',', '.', Home and End; false for other keys.
    bool Press(int key);
    // To ship time t: every cycle due by then sailed, no other; the view
    // afresh, centred on the ship.
    void SeekTo(double t);
    // The same jump, sailed by Work a slice at a time; a jump under way is
    // sent on to t instead. The ship's clock waits until it is over.
    void JumpTo(double t);
    // Sails the jump under way for about `seconds`; true while it is not over.
    bool Work(double seconds);
    // The jump under way stopped at the last cycle sailed, which is then where
    // the replay stands, as if sought there.
    void StopJump();
    bool Jumping() const { return jump_.has_value(); }
    // How much of the jump under way is sailed, 0..1 (1 with none).
    double JumpDone() const;
    // The view opened afresh on the user's layout and centred on the ship,
    // as a seek leaves it: nothing of the frames drawn before shows.
    void ShowAfresh();
    // Every cycle of the feed sailed at once, places kept on the way, each
    // handed to placeKept as it is kept (a scout's run).
    void SailAll(const std::function<void(const ReplayCheckpoint&)>& placeKept);
    // The places a scout process finds ahead are taken as they come.
    void Scout(std::unique_ptr<PlaceScout> scout) { scout_ = std::move(scout); }
    bool Scouting() const { return scout_ != nullptr; }
    // Takes what the scout found since; cheap when nothing came.
    void TakeScouted();
    // The places kept no longer hold: the user changed what a replay sails
    // (the display mode, a graph shown or hidden). The scout is stopped;
    // places are kept again from here.
    void ForgetPlaces();
    std::size_t PlacesKept() const { return checkpoints_.Count(); }
    // False once going back failed (told): the module is gone.
    bool Usable() const { return usable_; }

    double Position() const { return shipSeconds_; }
    double Factor() const { return factor_; }
    bool Paused() const { return paused_; }
    std::size_t Cycles() const { return cycles_; }
    // Cycles sailed since the replay began, however often it went back.
    std::size_t Sailed() const { return sailed_; }
    // "ship 1:02:03 - x2 - paused" for the title.
    std::string TitlePart() const;
    TimelineScene Scene() const;

  private:
    // Cycles due by the clock, as the window plays them.
    void CatchUp();
    // One cycle sailed as a headless run sails it.
    void SailOne();
    void ReadNext();
    // The module, the sounder and the log afresh, before the first cycle.
    bool Restart();
    // The module, the sounder and the log afresh, then all but the module as
    // they were at the place, the module told what it had learned by then.
    // Going back from the start instead when the place cannot be taken up.
    bool Resume(const ReplayCheckpoint& place);
    // The module, the sounder and the log made afresh over the log opened
    // again; false, told, when that failed.
    bool Reopen();
    // A place kept after the cycle just sailed, when one is wanted and the
    // module is settled.
    void KeepPlace();
    // The view centred on the ship, at the level and slope it has.
    void CentreOnShip() const;
    // The jump over at t: the clock there, the sounder back on its thread.
    void Land(double t);
    // Ship seconds of the last cycle sailed (0 before the first).
    double LastSailed() const;

    struct Jump {
        double target = 0.0;
        std::size_t fromCycle = 0;  // cycles sailed when it was sent to target
    };

    RunParts& parts_;
    FeedIndex index_;
    ShipSnapshot next_;
    bool pending_ = false;
    double shipSeconds_ = 0.0;
    double factor_ = 1.0;
    bool paused_ = false;
    bool usable_ = true;
    std::size_t cycles_ = 0;
    std::size_t sailed_ = 0;
    // Resumed from a place, the module holds what plain play holds only from
    // this many cycles on: no jump stops or lands before.
    std::size_t exactFrom_ = 0;
    std::optional<Jump> jump_;
    ReplayCheckpoints checkpoints_;
    std::function<void(const ReplayCheckpoint&)> placeKept_;
    std::unique_ptr<PlaceScout> scout_;
};
