#pragma once
// Soundings of a log on a grid of cells, answering with the nearest one
// within about half a kilometre. A spot of about 50 m keeps only its latest
// sounding, so the index grows with the ground covered, not with time.
#include <cstddef>
#include <optional>
#include <unordered_map>
#include <vector>

#include "host/geodata/DepthModel.h"

class SoundingIndex final : public DepthModel {
  public:
    void Add(double latitude, double longitude, double depth);
    std::optional<double> DepthAt(double latitude, double longitude) const override;
    std::size_t Size() const { return count_; }

  private:
    struct Sounding {
        double latitude;
        double longitude;
        double depth;
        long long spot;
    };
    static long long Key(long long row, long long column) { return row * 1000003LL + column; }
    std::unordered_map<long long, std::vector<Sounding>> cells_;
    std::size_t count_ = 0;
};
