#pragma once
// Soundings of a log on a grid of cells, answering with the nearest one
// within about half a kilometre. A spot of about 50 m answers with its latest
// sounding. Each spot keeps its earlier soundings too, numbered in the order
// they were added, so that a copy of the index is only a count into the same
// soundings: the index as it was after any number of them, kept by a mark
// and answering exactly as it did then. A sounding a later one replaced is
// let go once the feed has sailed past the replacing one, unless a count
// pinned by a mark still sees it: the index grows with the ground covered
// and the marks, not with time.
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "host/geodata/DepthModel.h"

class SoundingIndex final : public DepthModel {
  public:
    SoundingIndex();
    // A copy shares the soundings; it answers as the index did at its count
    // for as long as that count is pinned, or the feed has not sailed past it.
    SoundingIndex(const SoundingIndex& other) = default;
    SoundingIndex& operator=(const SoundingIndex& other) = default;
    // Adds the next sounding. A copy that has fallen behind its soundings
    // takes soundings of its own first.
    void Add(double latitude, double longitude, double depth);
    std::optional<double> DepthAt(double latitude, double longitude) const override;
    // Spots known.
    std::size_t Size() const;
    // Soundings added.
    std::size_t Count() const { return count_; }
    // Back to the first count soundings; false, with nothing changed, when
    // there were never that many.
    bool CutBack(std::size_t count);
    // Nothing will ask for the index as it was before its first count
    // soundings any more, but at the counts pinned.
    void NeededFrom(std::size_t count);
    // The index as it is after count soundings is kept for a mark.
    void Pin(std::size_t count) const;
    // Soundings of its own, as it answers now: a feed put back at a mark
    // shares no soundings with another feed sailing elsewhere.
    void Detach();

  private:
    struct Sounding {
        double latitude;
        double longitude;
        double depth;
        std::size_t number;  // in the order added
    };
    struct Spot {
        long long key;
        std::vector<Sounding> soundings;  // by number
        std::size_t pinned = 0;           // the first ones, kept for a mark
    };
    // Shared by the copies; only grows.
    struct Store {
        std::unordered_map<long long, std::vector<Spot>> cells;
        std::size_t count = 0;
        std::vector<std::size_t> pins;  // rising
        // Spots given a later sounding, by its number, to let go of the
        // earlier one once nothing can ask for it.
        std::deque<std::pair<std::size_t, std::pair<long long, long long>>> replaced;
    };
    static long long Key(long long row, long long column) { return row * 1000003LL + column; }
    // The spot's latest sounding within the first count_, if any.
    const Sounding* Latest(const Spot& spot) const;
    // Whether a count pinned lies in (after, upTo].
    bool Pinned(std::size_t after, std::size_t upTo) const;

    std::shared_ptr<Store> store_;
    std::size_t count_ = 0;
};
