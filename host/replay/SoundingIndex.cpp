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

void SoundingIndex::Pin(std::size_t count) const {
    std::vector<std::size_t>& pins = store_->pins;
    const auto at = std::lower_bound(pins.begin(), pins.end(), count);
    if (at == pins.end() || *at != count) {
        pins.insert(at, count);
    }
}

bool SoundingIndex::Pinned(std::size_t after, std::size_t upTo) const {
    const std::vector<std::size_t>& pins = store_->pins;
    const auto at = std::upper_bound(pins.begin(), pins.end(), after);
    return at != pins.end() && *at <= upTo;
}

void SoundingIndex::NeededFrom(std::size_t count) {
    auto& replaced = store_->replaced;
    while (!replaced.empty() && replaced.front().first <= count) {
        const long long cellKey = replaced.front().second.first;
        const long long spotKey = replaced.front().second.second;
        replaced.pop_front();
        std::vector<Spot>& cell = store_->cells[cellKey];
        auto spot =
            std::find_if(cell.begin(), cell.end(), [&](const Spot& s) { return s.key == spotKey; });
        if (spot == cell.end()) {
            continue;
        }
        // A sounding is seen by the counts from its number to the next
        // one's: once the feed is past those, only a pinned count sees it.
        // The last one before count stays; those kept for a pin stay for
        // good, at the front.
        std::vector<Sounding>& soundings = spot->soundings;
        const auto byNumber = [](const Sounding& s, std::size_t number) {
            return s.number < number;
        };
        const auto firstFree = soundings.begin() + static_cast<std::ptrdiff_t>(spot->pinned);
        const std::size_t keep = static_cast<std::size_t>(
            std::lower_bound(firstFree, soundings.end(), count, byNumber) - soundings.begin());
        if (keep < spot->pinned + 2) {
            continue;
        }
        // Moving the later ones down costs: only when half or more can go.
        const std::size_t loose = soundings.size() - spot->pinned;
        if (keep != soundings.size() && 2 * (keep - 1 - spot->pinned) < loose) {
            continue;
        }
        std::size_t out = spot->pinned;
        for (std::size_t i = spot->pinned; i + 1 < keep; ++i) {
            if (Pinned(soundings[i].number, soundings[i + 1].number)) {
                soundings[out++] = soundings[i];
            }
        }
        spot->pinned = out;
        for (std::size_t i = keep - 1; i < soundings.size(); ++i) {
            soundings[out++] = soundings[i];
        }
        soundings.resize(out);
        if (soundings.capacity() > 4 * soundings.size() + 4) {
            soundings.shrink_to_fit();
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
        Detach();
    }
    std::vector<Spot>& cell = store_->cells[cellKey];
    const Sounding sounding{latitude, longitude, depth, count_};
    auto it = std::find_if(cell.begin(), cell.end(), [&](const Spot& s) { return s.key == spot; });
    if (it != cell.end()) {
        it->soundings.push_back(sounding);
        store_->replaced.push_back({count_, {cellKey, spot}});
    } else {
        cell.push_back({spot, {sounding}, 0});
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
            Spot copy{spot.key, {}, 0};
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
