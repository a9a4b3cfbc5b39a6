#pragma once
// Places a replay was at, kept as it sails, so that a jump resumes from the
// nearest one instead of sailing from the start. Each holds what decides the
// cycles after it: the feed's place in the log, the sounder's state, the
// host's running totals and what the module learned from every cycle. The
// module itself is made afresh at a resume and sails on from the place; its
// rolling stores then hold what they would have held only once they took in
// enough since. So a jump resumes from the latest place far enough before its
// target, which the counts the module gives at each place tell.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "host/app/FeedAccount.h"
#include "host/app/ShipCycle.h"
#include "host/app/TrawlHand.h"
#include "host/replay/ShipFeed.h"
#include "host/replay/SounderFeed.h"
#include "module/SailedState.h"

struct ReplayCheckpoint {
    std::size_t cycles = 0;  // cycles sailed by then
    ShipSnapshot now;        // the last of them
    ShipSnapshot next;       // the next cycle, already read
    bool pending = false;    // whether there is a next one
    std::unique_ptr<FeedMark> feed;
    std::vector<std::uint8_t> sounder;  // the library's state
    SounderFeed::OwnState sounderOwn;
    FeedAccount account;
    ShipCycle::Saved cycle;
    TrawlHand trawl{std::nullopt};
    PlotrexSailedState module;
};

class ReplayCheckpoints {
  public:
    // Cycles between two places kept: a jump sails at most this many more
    // than the module's stores need.
    static constexpr std::size_t kSpacing = 512;

    explicit ReplayCheckpoints(std::size_t spacing = kSpacing) : spacing_(spacing) {}

    // Whether a place is wanted after `cycles` sailed: one spacing past the
    // furthest kept (places are kept once, going further).
    bool Wanted(std::size_t cycles) const;
    // In the order of their cycles; a place kept already is kept once.
    void Keep(ReplayCheckpoint checkpoint);
    // The place to resume from to reach targetCycles, or null when sailing on
    // from sailedCycles (ahead: no place more than a spacing further on) or
    // from the start (back) does as well. The
    // module resumed there holds what plain play holds from exactFrom cycles
    // on (no later than the target), not before.
    const ReplayCheckpoint* From(std::size_t sailedCycles, std::size_t targetCycles,
                                 std::size_t* exactFrom) const;
    // No place kept any more, none made from now on (they cannot be made or
    // taken up again).
    void Forsake();
    // No place kept any more; they are made again from now on.
    void Forget() { kept_.clear(); }
    std::size_t Count() const { return kept_.size(); }

  private:
    // Whether the module resumed at `from` and sailed to `to` holds what it
    // held at `to`.
    static bool FarEnough(const PlotrexSailedState& from, const PlotrexSailedState& to);

    std::size_t spacing_;
    std::vector<ReplayCheckpoint> kept_;  // by cycles, rising
    bool forsaken_ = false;
};
