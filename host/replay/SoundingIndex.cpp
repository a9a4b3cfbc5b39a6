#include "host/replay/SoundingIndex.h"

#include <algorithm>
#include <cmath>

namespace {

// About 500 m of latitude, in radians.
constexpr double kEarthRadiusMetres = 6371000.0;
constexpr double kCell = 500.0 / kEarthRadiusMetres;
// A sounding stands for a spot of about 50 m.
constexpr double kSpot = kCell / 10.0;

}  // namespace

SoundingIndex::SoundingIndex() : store_(std::make_shared<Store>()) {}

SoundingIndex::SoundingIndex(const SoundingIndex& other)
    : DepthModel(other), store_(other.store_), count_(other.count_) {
    store_->copied = true;
    store_->replaced.clear();
}

SoundingIndex& SoundingIndex::operator=(const SoundingIndex& other) {
    store_ = other.store_;
    count_ = other.count_;
    store_->copied = true;
    store_->replaced.clear();
    return *this;
}

void SoundingIndex::NeededFrom(std::size_t count) {
    auto& replaced = store_->replaced;
    while (!store_->copied && !replaced.empty() && replaced.front().first <= count) {
        const auto [cellKey, spotKey] = replaced.front().second;
        replaced.pop_front();
        std::vector<Spot>& cell = store_->cells[cellKey];
        auto spot =
            std::find_if(cell.begin(), cell.end(), [&](const Spot& s) { return s.key == spotKey; });
        // The index at count or later sees the last sounding before count, or a later one.
        std::vector<Sounding>& soundings = spot->soundings;
        auto keep = std::lower_bound(
            soundings.begin(), soundings.end(), count,
            [](const Sounding& s, std::size_t number) { return s.number < number; });
        // Moving the later ones down costs: only when half or more go.
        const auto gone = keep == soundings.begin() ? 0 : keep - 1 - soundings.begin();
        if (gone > 0 && (keep == soundings.end() || 2 * gone >= std::ssize(soundings))) {
            soundings.erase(soundings.begin(), keep - 1);
            if (soundings.capacity() > 4 * soundings.size()) {
                soundings.shrink_to_fit();
            }
        }
    }
}

void SoundingIndex::Add(double latitude, double longitude, double depth) {
    const double scale = std::cos(latitude);
    const auto row = static_cast<long long>(std::floor(latitude / kCell));
    const auto column = static_cast<long long>(std::floor(longitude * scale / kCell));
    const long long spot = Key(static_cast<long long>(std::floor(latitude / kSpot)),
                               static_cast<long long>(std::floor(longitude * scale / kSpot)));
    const long long cellKey = Key(row, column);
    if (count_ < store_->count) {
        // Read again after a mark: the store has it already unless the log differs.
        const Spot* found = nullptr;
        if (auto it = store_->cells.find(cellKey); it != store_->cells.end()) {
            for (const Spot& s : it->second) {
                found = s.key == spot ? &s : found;
            }
        }
        if (found != nullptr) {
            const auto at = std::lower_bound(
                found->soundings.begin(), found->soundings.end(), count_,
                [](const Sounding& s, std::size_t number) { return s.number < number; });
            if (at != found->soundings.end() && at->number == count_ && at->latitude == latitude &&
                at->longitude == longitude && at->depth == depth) {
                ++count_;
                return;
            }
        }
        Detach();
    }
    std::vector<Spot>& cell = store_->cells[cellKey];
    const Sounding sounding{latitude, longitude, depth, count_};
    auto it = std::find_if(cell.begin(), cell.end(), [&](const Spot& s) { return s.key == spot; });
    if (it != cell.end()) {
        it->soundings.push_back(sounding);
        if (!store_->copied) {
            store_->replaced.push_back({count_, {cellKey, spot}});
        }
    } else {
        cell.push_back({spot, {sounding}});
    }
    store_->count = ++count_;
}

const SoundingIndex::Sounding* SoundingIndex::Latest(const Spot& spot) const {
    const std::vector<Sounding>& soundings = spot.soundings;
    if (soundings.back().number < count_) {
        return &soundings.back();
    }
    const auto after =
        std::lower_bound(soundings.begin(), soundings.end(), count_,
                         [](const Sounding& s, std::size_t number) { return s.number < number; });
    return after == soundings.begin() ? nullptr : &*(after - 1);
}

std::optional<double> SoundingIndex::DepthAt(double latitude, double longitude) const {
    const double scale = std::cos(latitude);
    const auto row = static_cast<long long>(std::floor(latitude / kCell));
    const auto column = static_cast<long long>(std::floor(longitude * scale / kCell));
    std::optional<double> best;
    double bestDistance = kCell * kCell;
    for (long long r = row - 1; r <= row + 1; ++r) {
        for (long long c = column - 1; c <= column + 1; ++c) {
            auto it = store_->cells.find(Key(r, c));
            if (it == store_->cells.end()) {
                continue;
            }
            for (const Spot& spot : it->second) {
                const Sounding* s = Latest(spot);
                if (s == nullptr) {
                    continue;
                }
                const double dLat = s->latitude - latitude;
                const double dLon = (s->longitude - longitude) * scale;
                const double distance = dLat * dLat + dLon * dLon;
                if (distance <= bestDistance) {
                    bestDistance = distance;
                    best = s->depth;
                }
            }
        }
    }
    return best;
}

std::size_t SoundingIndex::Size() const {
    std::size_t spots = 0;
    for (const auto& [key, cell] : store_->cells) {
        for (const Spot& spot : cell) {
            spots += spot.soundings.front().number < count_ ? 1 : 0;
        }
    }
    return spots;
}

bool SoundingIndex::CutBack(std::size_t count) {
    if (count > store_->count) {
        return false;
    }
    count_ = count;
    return true;
}

void SoundingIndex::Detach() {
    auto own = std::make_shared<Store>();
    for (const auto& [key, cell] : store_->cells) {
        std::vector<Spot> kept;
        for (const Spot& spot : cell) {
            Spot copy{spot.key, {}};
            for (const Sounding& s : spot.soundings) {
                if (s.number < count_) {
                    copy.soundings.push_back(s);
                }
            }
            if (!copy.soundings.empty()) {
                kept.push_back(std::move(copy));
            }
        }
        if (!kept.empty()) {
            own->cells.emplace(key, std::move(kept));
        }
    }
    own->count = count_;
    store_ = std::move(own);
}
