// A scout's place crosses the pipe whole, and bytes that are not one whole
// place are refused rather than read as one.
#include <gtest/gtest.h>

#include <cstring>

#include "host/app/PlaceWire.h"

namespace {

ReplayCheckpoint SomePlace() {
    ReplayCheckpoint place;
    place.cycles = 1536;
    place.now.time = 1535.0;
    place.now.position = PosType(0.83, -0.09);
    place.now.towing = true;
    place.next.time = 1536.0;
    place.pending = true;
    place.sounder = {1, 2, 3, 250};
    place.sounderOwn = {42.5, true};
    place.cycle.trackPoints = 3;
    place.cycle.shallow.emplace(
        4.5, 2.0, ShallowWatch::Ahead{120.0, 5.5},
        std::vector<ShallowWatch::Warning>{{900.0, PosType(0.8, -0.1), {300.0, 6.0}, 5.0}});
    place.trawl =
        TrawlHand(TrawlHand::Parts{std::nullopt, TrawlParameters{1200, 80, 0.7, 1}, 2, -50.0});
    place.module.distance = 0.0123;
    place.module.settled = 1;
    place.module.taken[2] = 4096;
    return place;
}

}  // namespace

TEST(PlaceWire, APlaceAndItsTrackComeBackAsSentAndDamageIsRefused) {
    const ReplayCheckpoint place = SomePlace();
    const std::vector<TrackPoint> track{{1.0, 0.8, -0.1, 0.0, 40.0, 12.0, 41.0, kUndefined},
                                        {2.0, 0.8001, -0.1, 1e-5, 41.0, 12.1, 41.0, 39.0}};
    const std::vector<std::uint8_t> message = EncodePlace(place, 1, track);
    std::uint32_t length = 0;
    std::memcpy(&length, message.data(), sizeof length);
    ASSERT_EQ(length + sizeof length, message.size());
    const std::span<const std::uint8_t> body(message.data() + sizeof length, length);

    const std::optional<ScoutedPlace> back = DecodePlace(body);
    ASSERT_TRUE(back.has_value());
    const ReplayCheckpoint& got = back->place;
    EXPECT_EQ(got.cycles, 1536U);
    EXPECT_TRUE(got.now.position == place.now.position);
    EXPECT_TRUE(got.now.towing);
    EXPECT_EQ(got.next.time, 1536.0);
    EXPECT_TRUE(got.pending);
    EXPECT_EQ(got.sounder, place.sounder);
    EXPECT_EQ(got.sounderOwn.lastDepth, 42.5);
    EXPECT_TRUE(got.sounderOwn.settleTimedOut);
    EXPECT_EQ(got.cycle.trackPoints, 3U);
    ASSERT_TRUE(got.cycle.shallow.has_value());
    ASSERT_TRUE(got.cycle.shallow->Current().has_value());
    EXPECT_EQ(got.cycle.shallow->Current()->distance, 120.0);
    ASSERT_EQ(got.cycle.shallow->Warnings().size(), 1U);
    EXPECT_EQ(got.cycle.shallow->Warnings()[0].shallowest, 5.0);
    const TrawlHand::Parts trawl = got.trawl.GetParts();
    EXPECT_FALSE(trawl.given.has_value());
    ASSERT_TRUE(trawl.sent.has_value());
    EXPECT_EQ(trawl.sent->depth, 80.0);
    EXPECT_EQ(trawl.shot, 2);
    EXPECT_EQ(trawl.cablePaidOut, -50.0);
    EXPECT_EQ(got.module.distance, 0.0123);
    EXPECT_EQ(got.module.taken[2], 4096U);
    EXPECT_EQ(back->trackFrom, 1U);
    ASSERT_EQ(back->track.size(), 2U);
    EXPECT_EQ(std::memcmp(back->track.data(), track.data(), sizeof(TrackPoint) * 2), 0);

    // Cut anywhere, or with a byte too many, it is not a place.
    for (std::size_t size = 0; size < body.size(); ++size) {
        EXPECT_FALSE(DecodePlace(body.first(size)).has_value()) << size;
    }
    std::vector<std::uint8_t> longer(body.begin(), body.end());
    longer.push_back(0);
    EXPECT_FALSE(DecodePlace(longer).has_value());
    // A flag that is neither 0 nor 1 (the first snapshot's towing flag) is refused, not
    // read as a flag.
    std::vector<std::uint8_t> badFlag(body.begin(), body.end());
    const std::size_t towing = 4 + 6 * 4 + 8 + 8 + sizeof(PosType) + 4 * 8;
    ASSERT_EQ(badFlag[towing], 1);
    badFlag[towing] = 7;
    EXPECT_FALSE(DecodePlace(badFlag).has_value());
}
