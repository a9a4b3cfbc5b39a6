#include "host/app/PlaceWire.h"

#include <cstring>
#include <type_traits>

namespace {

constexpr std::uint32_t kTag = 0x504C4331;  // "PLC1"

// The sizes of the records sent as bytes: another build's differ.
// Records with a flag go field by field: any byte is not a flag.
constexpr std::uint32_t kShape[] = {sizeof(FeedAccount),         sizeof(TrawlParameters),
                                    sizeof(PlotrexSailedState),  sizeof(TrackPoint),
                                    sizeof(ShallowWatch::Ahead), sizeof(ShallowWatch::Warning)};

class Writer {
  public:
    template <typename T>
    void Put(const T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&value);
        out_.insert(out_.end(), bytes, bytes + sizeof value);
    }
    template <typename T>
    void PutAll(std::span<const T> values) {
        static_assert(std::is_trivially_copyable_v<T>);
        Put(static_cast<std::uint64_t>(values.size()));
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(values.data());
        out_.insert(out_.end(), bytes, bytes + values.size_bytes());
    }
    std::vector<std::uint8_t>& Bytes() { return out_; }

  private:
    std::vector<std::uint8_t> out_;
};

class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> in) : in_(in) {}
    template <typename T>
    bool Get(T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        if (in_.size() - at_ < sizeof value) {
            return false;
        }
        std::memcpy(&value, in_.data() + at_, sizeof value);
        at_ += sizeof value;
        return true;
    }
    template <typename T>
    bool GetAll(std::vector<T>& values) {
        std::uint64_t count = 0;
        if (!Get(count) || count > (in_.size() - at_) / sizeof(T)) {
            return false;
        }
        values.resize(count);
        if (count > 0) {
            std::memcpy(values.data(), in_.data() + at_, count * sizeof(T));
        }
        at_ += count * sizeof(T);
        return true;
    }
    bool GetFlag(bool& flag) {
        std::uint8_t byte = 0;
        if (!Get(byte) || byte > 1) {
            return false;
        }
        flag = byte != 0;
        return true;
    }
    bool AtEnd() const { return at_ == in_.size(); }

  private:
    std::span<const std::uint8_t> in_;
    std::size_t at_ = 0;
};

void PutSnapshot(Writer& out, const ShipSnapshot& snapshot) {
    out.Put(snapshot.time);
    out.Put(snapshot.position);
    out.Put(snapshot.heading);
    out.Put(snapshot.speedKnots);
    out.Put(snapshot.depthMetres);
    out.Put(snapshot.temperatureCelsius);
    out.Put(static_cast<std::uint8_t>(snapshot.towing ? 1 : 0));
}

bool GetSnapshot(Reader& in, ShipSnapshot& snapshot) {
    return in.Get(snapshot.time) && in.Get(snapshot.position) && in.Get(snapshot.heading) &&
           in.Get(snapshot.speedKnots) && in.Get(snapshot.depthMetres) &&
           in.Get(snapshot.temperatureCelsius) && in.GetFlag(snapshot.towing);
}

void PutTrawl(Writer& out, const TrawlHand& trawl) {
    const TrawlHand::Parts parts = trawl.GetParts();
    out.Put(static_cast<std::uint8_t>(parts.given ? 1 : 0));
    out.Put(parts.given.value_or(TrawlParameters{}));
    out.Put(static_cast<std::uint8_t>(parts.sent ? 1 : 0));
    out.Put(parts.sent.value_or(TrawlParameters{}));
    out.Put(static_cast<std::int32_t>(parts.shot));
    out.Put(parts.cablePaidOut);
}

bool GetTrawl(Reader& in, TrawlHand& trawl) {
    bool hasGiven = false;
    bool hasSent = false;
    TrawlParameters given;
    TrawlParameters sent;
    std::int32_t shot = 0;
    double paidOut = 0.0;
    if (!in.GetFlag(hasGiven) || !in.Get(given) || !in.GetFlag(hasSent) || !in.Get(sent) ||
        !in.Get(shot) || !in.Get(paidOut)) {
        return false;
    }
    trawl =
        TrawlHand(TrawlHand::Parts{hasGiven ? std::optional(given) : std::nullopt,
                                   hasSent ? std::optional(sent) : std::nullopt, shot, paidOut});
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodePlace(const ReplayCheckpoint& place, std::size_t trackFrom,
                                      std::span<const TrackPoint> track) {
    Writer out;
    out.Put(std::uint32_t{0});  // the length, set below
    out.Put(kTag);
    out.Put(kShape);
    out.Put(static_cast<std::uint64_t>(place.cycles));
    PutSnapshot(out, place.now);
    PutSnapshot(out, place.next);
    out.Put(static_cast<std::uint8_t>(place.pending ? 1 : 0));
    out.PutAll(std::span<const std::uint8_t>(place.sounder));
    out.Put(place.sounderOwn.lastDepth);
    out.Put(static_cast<std::uint8_t>(place.sounderOwn.settleTimedOut ? 1 : 0));
    out.Put(place.account);
    out.Put(static_cast<std::uint64_t>(place.cycle.trackPoints));
    out.Put(static_cast<std::uint8_t>(place.cycle.shallow ? 1 : 0));
    if (const std::optional<ShallowWatch>& shallow = place.cycle.shallow) {
        out.Put(shallow->Draught());
        out.Put(shallow->Margin());
        out.Put(static_cast<std::uint8_t>(shallow->Current() ? 1 : 0));
        out.Put(shallow->Current().value_or(ShallowWatch::Ahead{}));
        out.PutAll(std::span<const ShallowWatch::Warning>(shallow->Warnings()));
    }
    PutTrawl(out, place.trawl);
    out.Put(place.module);
    out.Put(static_cast<std::uint64_t>(trackFrom));
    out.PutAll(track);
    std::vector<std::uint8_t>& bytes = out.Bytes();
    const auto length = static_cast<std::uint32_t>(bytes.size() - sizeof(std::uint32_t));
    std::memcpy(bytes.data(), &length, sizeof length);
    return std::move(bytes);
}

std::optional<ScoutedPlace> DecodePlace(std::span<const std::uint8_t> bytes) {
    Reader in(bytes);
    std::uint32_t tag = 0;
    std::uint32_t shape[std::size(kShape)] = {};
    if (!in.Get(tag) || tag != kTag || !in.Get(shape) ||
        std::memcmp(shape, kShape, sizeof shape) != 0) {
        return std::nullopt;
    }
    ScoutedPlace scouted;
    ReplayCheckpoint& place = scouted.place;
    std::uint64_t cycles = 0;
    std::uint64_t trackPoints = 0;
    bool watching = false;
    if (!in.Get(cycles) || !GetSnapshot(in, place.now) || !GetSnapshot(in, place.next) ||
        !in.GetFlag(place.pending) || !in.GetAll(place.sounder) ||
        !in.Get(place.sounderOwn.lastDepth) || !in.GetFlag(place.sounderOwn.settleTimedOut) ||
        !in.Get(place.account) || !in.Get(trackPoints) || !in.GetFlag(watching)) {
        return std::nullopt;
    }
    if (watching) {
        double draught = 0.0;
        double margin = 0.0;
        bool warned = false;
        ShallowWatch::Ahead ahead;
        std::vector<ShallowWatch::Warning> warnings;
        if (!in.Get(draught) || !in.Get(margin) || !in.GetFlag(warned) || !in.Get(ahead) ||
            !in.GetAll(warnings)) {
            return std::nullopt;
        }
        place.cycle.shallow.emplace(draught, margin, warned ? std::optional(ahead) : std::nullopt,
                                    std::move(warnings));
    }
    std::uint64_t trackFrom = 0;
    if (!GetTrawl(in, place.trawl) || !in.Get(place.module) || !in.Get(trackFrom) ||
        !in.GetAll(scouted.track) || !in.AtEnd()) {
        return std::nullopt;
    }
    place.cycles = cycles;
    place.cycle.trackPoints = trackPoints;
    scouted.trackFrom = trackFrom;
    return scouted;
}
