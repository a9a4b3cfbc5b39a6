#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "echo/ZxEtrEchoContainer.h"

namespace {

ZxEtrEcho Sweep(double bottom) {
    ZxEtrEcho sweep = ZxEtrEcho::Empty();
    sweep.windowTop = 0.0;
    sweep.windowBottom = bottom;
    return sweep;
}

// Distances of the stored sweeps from the oldest to the newest.
std::vector<double> Distances(const ZxEtrEchoContainer& store) {
    std::vector<double> out;
    for (const ZxEtrEcho& sweep : store) {
        out.push_back(sweep.distance);
    }
    return out;
}

}  // namespace

TEST(CircularBufferTest, ReadsFromTheNewestBackwardsAndDropsTheOldest) {
    QuillMemoryCircularBuffer<int> buffer(3);
    for (int i = 1; i <= 5; ++i) {
        buffer.Push(i);
    }
    ASSERT_EQ(buffer.size(), 3U);
    buffer.SeekFromNewest(0);
    std::vector<int> read;
    while (int* item = buffer.NextOlder()) {
        read.push_back(*item);
    }
    EXPECT_EQ(read, (std::vector<int>{5, 4, 3}));
    EXPECT_EQ(buffer.NextOlder(), nullptr);

    // Offsets below the capacity step back; others mean the newest.
    struct Case {
        std::int32_t offset;
        int first;
    };
    for (const Case& c : {Case{1, 4}, Case{2, 3}, Case{0, 5}, Case{-1, 5}, Case{3, 5}}) {
        buffer.SeekFromNewest(c.offset);
        int* item = buffer.NextOlder();
        ASSERT_NE(item, nullptr) << c.offset;
        EXPECT_EQ(*item, c.first) << c.offset;
    }
}

TEST(CircularBufferTest, OneElementThenNothingAndCapacityChanges) {
    QuillMemoryCircularBuffer<int> buffer(4);
    EXPECT_EQ(buffer.NextOlder(), nullptr);
    buffer.Push(7);
    buffer.SeekFromNewest(0);
    ASSERT_NE(buffer.NextOlder(), nullptr);
    EXPECT_EQ(buffer.NextOlder(), nullptr);

    buffer.SetCapacity(4);
    EXPECT_EQ(buffer.size(), 1U);
    buffer.SetCapacity(2);
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(buffer.GetCapacity(), 2U);
    // A cursor left beyond the elements reads nothing rather than past them.
    buffer.SeekFromNewest(0);
    EXPECT_EQ(buffer.NextOlder(), nullptr);
}

TEST(SweepStoreTest, NumbersKeepGrowingWhileTheOldestDropsOut) {
    ZxEtrEchoContainer store;
    for (int i = 0; i < 1025; ++i) {
        ZxEtrEcho sweep = Sweep(-10.0);
        store.AddSweep(sweep);
        EXPECT_EQ(sweep.number, i);
        EXPECT_EQ(sweep.distance, -1.0);
    }
    EXPECT_EQ(store.size(), 1024U);
    EXPECT_EQ(store.front().number, 1);
    EXPECT_EQ(store.back().number, 1024);
    EXPECT_EQ(store.GetNextNumber(), 1025U);
    EXPECT_EQ(store.GetPendingCount(), 1024);
}

TEST(SweepStoreTest, DeepestBottomIgnoresBlankAndShallowerSweeps) {
    ZxEtrEchoContainer store;
    ZxEtrEcho blank = ZxEtrEcho::Blank();
    store.AddSweep(blank);
    EXPECT_EQ(store.GetDeepestBottom(), 0.0);
    for (double bottom : {-30.0, -80.0, -50.0, std::nan("")}) {
        ZxEtrEcho sweep = Sweep(bottom);
        store.AddSweep(sweep);
    }
    EXPECT_EQ(store.GetDeepestBottom(), -80.0);

    // Once the deep sweep has been pushed out, the range is that of the
    // sweeps still held.
    for (int i = 0; i < 1021; ++i) {
        ZxEtrEcho sweep = Sweep(-20.0);
        store.AddSweep(sweep);
        ASSERT_EQ(store.GetDeepestBottom(), -80.0) << i;
    }
    ZxEtrEcho sweep = Sweep(-20.0);
    store.AddSweep(sweep);
    EXPECT_EQ(store.GetDeepestBottom(), -50.0);
    EXPECT_EQ(store.GetExtent().minY, -50.0);
}

TEST(SweepStoreTest, DeepestBottomIsTheDeepestHeldThroughEveryDropAndTie) {
    // The ship runs into shoaling water (the oldest sweep held is the deepest,
    // and drops out at every step), then deepening water, then over a floor
    // of a few depths, so that ties are common, with blanks and heights above
    // the surface among them.
    ZxEtrEchoContainer store;
    store.Resume(0xFFFFF000U, 0.0);  // numbers wrap past the top on the way
    std::uint32_t seed = 7;
    auto next = [&seed] {
        seed = seed * 1664525U + 1013904223U;
        return seed >> 16;
    };
    for (int i = 0; i < 7000; ++i) {
        double bottom = 0.0;
        if (i < 2000) {
            bottom = -100.0 + 0.04 * i;
        } else if (i < 4000) {
            bottom = -20.0 - 0.04 * (i - 2000);
        } else {
            const std::uint32_t pick = next() % 12;
            bottom = pick == 0 ? std::nan("") : pick == 1 ? 4.0 : -10.0 * (pick % 6);
        }
        ZxEtrEcho sweep = Sweep(bottom);
        store.AddSweep(sweep);
        double deepest = 0.0;
        for (const ZxEtrEcho& held : store) {
            if (held.windowBottom < deepest) {
                deepest = held.windowBottom;
            }
        }
        ASSERT_EQ(store.GetDeepestBottom(), deepest) << "after sweep " << i;
    }

    // Emptied by a new capacity, then numbered on from an earlier number:
    // nothing of the old sweeps counts any more.
    const auto number = static_cast<std::uint32_t>(store.back().number);
    ZxEtrEcho deep = Sweep(-500.0);
    store.AddSweep(deep);
    store.SetCapacity(8);
    store.Resume(number + 1, 0.0);
    ZxEtrEcho shallow = Sweep(-5.0);
    store.AddSweep(shallow);
    EXPECT_EQ(store.GetDeepestBottom(), -5.0);
}

TEST(SweepStoreTest, PlacementSpreadsPendingSweepsOverTheDistanceRun) {
    struct Case {
        const char* what;
        int before;       // sweeps placed at distance 10.0 first
        int pending;      // then added
        double distance;  // and placed here
        bool placed;
        std::vector<double> distances;  // oldest to newest
    };
    const std::vector<Case> cases = {
        {"three over 10 to 13", 0, 3, 13.0, true, {11.0, 12.0, 13.0}},
        {"after placed ones", 2, 2, 14.0, true, {5.0, 10.0, 12.0, 14.0}},
        {"same distance again", 1, 2, 10.0, false, {10.0, -1.0, -1.0}},
        {"nothing pending", 2, 0, 20.0, false, {5.0, 10.0}},
    };
    for (const Case& c : cases) {
        ZxEtrEchoContainer store;
        for (int i = 0; i < c.before; ++i) {
            ZxEtrEcho sweep = Sweep(-5.0);
            store.AddSweep(sweep);
        }
        store.PlaceSweeps(10.0);
        for (int i = 0; i < c.pending; ++i) {
            ZxEtrEcho sweep = Sweep(-5.0);
            store.AddSweep(sweep);
        }
        if (c.before == 0) {
            store.PlaceSweeps(10.0);  // no sweeps yet: only remembers the distance
            EXPECT_EQ(store.GetPendingCount(), c.pending) << c.what;
        }
        EXPECT_EQ(store.PlaceSweeps(c.distance), c.placed) << c.what;
        EXPECT_EQ(Distances(store), c.distances) << c.what;
        EXPECT_EQ(store.GetLastDistance(), c.distance) << c.what;
    }
}

TEST(SweepStoreTest, SameDistanceKeepsSweepsPendingForTheNextMove) {
    ZxEtrEchoContainer store;
    ZxEtrEcho sweep = Sweep(-5.0);
    store.AddSweep(sweep);
    EXPECT_FALSE(store.PlaceSweeps(0.0));
    EXPECT_EQ(store.GetPendingCount(), 1);
    EXPECT_TRUE(store.PlaceSweeps(4.0));
    EXPECT_EQ(Distances(store), std::vector<double>{4.0});
}

TEST(SweepStoreTest, OverflowBetweenPlacementsPlacesTheStoredOnes) {
    ZxEtrEchoContainer store;
    for (int i = 0; i < 2000; ++i) {
        ZxEtrEcho sweep = Sweep(-5.0);
        store.AddSweep(sweep);
    }
    ASSERT_TRUE(store.PlaceSweeps(1024.0));
    EXPECT_EQ(store.GetPendingCount(), 0);
    // Step 1.0 from 0.0: the oldest stored sweep gets 1.0, the newest 1024.0.
    EXPECT_EQ(store.front().distance, 1.0);
    EXPECT_EQ(store.back().distance, 1024.0);
}

TEST(SweepStoreTest, ExtentRunsFromTheOldestPlacedSweepToTheSurface) {
    ZxEtrEchoContainer store;
    EXPECT_TRUE(store.GetExtent().IsUndefined());
    ZxEtrEcho sweep = Sweep(-42.0);
    store.AddSweep(sweep);
    EXPECT_EQ(store.GetExtent(), (Extent{0.0, 0.0, -42.0, 0.0}));  // oldest unplaced
    store.PlaceSweeps(3.0);
    ZxEtrEcho next = Sweep(-12.0);
    store.AddSweep(next);
    store.PlaceSweeps(5.0);
    EXPECT_EQ(store.GetExtent(), (Extent{3.0, 5.0, -42.0, 0.0}));
}
