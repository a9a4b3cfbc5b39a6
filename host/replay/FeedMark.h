#pragma once
// A feed's place, kept to come back to it: only the feed that made it knows
// what it holds.
class FeedMark {
  public:
    virtual ~FeedMark() = default;
};
