#pragma once
// A second process of this program that sails the whole log ahead of the
// window at its own pace, without drawing, and sends back the places it
// keeps: a jump far ahead, to where the window never was, then resumes from
// one of them instead of sailing every cycle up to it. The scout is given
// the user's command line and a copy of the profile, so it sails what the
// window sails. It pings with its own sounder, in its own process, at a
// lower priority than the window. Here each place gets the feed's mark at
// its cycle: a reader of our own goes through the log alongside.
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/app/HostOptions.h"
#include "host/app/PlaceWire.h"
#include "host/replay/ShipFeed.h"
#include "host/replay/SonarFeed.h"

class PlaceScout {
  public:
    // The environment that makes this program a scout: the descriptor it
    // writes its places into, and the profile it reads.
    static constexpr const char* kFdVariable = "PLOTREX_SCOUT_FD";
    static constexpr const char* kProfileVariable = "PLOTREX_SCOUT_PROFILE";

    // Starts `program` as a scout of the replay the options describe (their
    // arguments), on a copy of their profile. Null when it cannot start.
    static std::unique_ptr<PlaceScout> Start(const std::string& program,
                                             const HostOptions& options);
    ~PlaceScout();
    PlaceScout(const PlaceScout&) = delete;
    PlaceScout& operator=(const PlaceScout&) = delete;

    // The places sent since the last call, each with its feed mark. False
    // once the scout is over: it sailed the whole log, or failed, or sent
    // what does not match the log read here.
    bool Take(std::vector<ScoutedPlace>& places);

  private:
    PlaceScout(pid_t child, int fd, std::string profileCopy, std::unique_ptr<ShipFeed> feed,
               SonarFeed* sonar)
        : child_(child),
          fd_(fd),
          profileCopy_(std::move(profileCopy)),
          feed_(std::move(feed)),
          sonar_(sonar) {}
    // The feed read here up to the place's cycle and marked there.
    bool MarkAt(ReplayCheckpoint& place);
    void Stop();

    pid_t child_;
    int fd_;
    std::string profileCopy_;
    std::unique_ptr<ShipFeed> feed_;
    SonarFeed* sonar_;      // the feed, when it replays a recording
    std::size_t read_ = 0;  // snapshots asked of the feed so far
    ShipSnapshot last_;
    std::vector<std::uint8_t> received_;  // bytes not yet a whole message
};
