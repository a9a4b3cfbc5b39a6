// The window's timeline: the index of a log made in one pass agrees with
// what the summary of a run over the same log counts, and the strip draws
// the span, the position and the marks where they belong.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "host/app/FeedIndex.h"
#include "host/app/TimelineStrip.h"
#include "platform/CairoHandles.h"
#include "tests/support/HostRun.h"
#include "tests/support/ImageCompare.h"
#include "tests/support/TestProfile.h"

namespace {

long Count(const std::string& output, const std::string& pattern) {
    std::smatch match;
    return std::regex_search(output, match, std::regex(pattern)) ? std::stol(match[1].str()) : -1;
}

}  // namespace

TEST(Timeline, TheIndexMarksWhatTheSummaryCountsAtTheCyclesOfTheRun) {
    const std::string log = PLOTREX_SOURCE_DIR "/tests/data/damaged_voyage.nmea";
    TempFolder folder;
    const HostRun run = RunHost("--nmea " + log + " --profile " + folder.File("profile.ini") +
                                " --out " + folder.File("out"));
    ASSERT_EQ(run.exitCode, 0) << run.output;

    HostOptions options;
    options.nmeaPath = log;
    ErrorOr<FeedIndex> index = FeedIndex::Build(options);
    ASSERT_TRUE(index) << index.GetError().Message();
    const FeedIndex& built = index.Value();
    EXPECT_EQ(static_cast<long>(built.CycleTimes().size()),
              Count(run.output, "Voyage: [^\n]*, (\\d+) host cycles"));
    EXPECT_TRUE(std::is_sorted(built.CycleTimes().begin(), built.CycleTimes().end()));
    EXPECT_NEAR(built.Span() / 60.0,
                Count(run.output, "host cycles over (\\d+) minutes of ship time"), 1.0);
    // Each jump at a cycle of its own in this log; the damaged lines spread
    // over the log's length, never beyond its span.
    EXPECT_EQ(static_cast<long>(built.TimeJumps().size()),
              Count(run.output, "NMEA time jumps: (\\d+)"));
    ASSERT_GE(built.Damaged().size(), 3U);
    EXPECT_LE(built.Damaged().back(), built.Span());
    EXPECT_GT(built.Damaged().back() - built.Damaged().front(), built.Span() / 4);
    // Cycles due by a time: none before the first, all by the last.
    EXPECT_EQ(built.CyclesBy(-1.0), 0U);
    EXPECT_EQ(built.CyclesBy(built.Span()), built.CycleTimes().size());
    EXPECT_EQ(built.CyclesBy(built.CycleTimes()[10]), 11U);
}

TEST(Timeline, TheStripShowsTheSpanThePositionAndTheMarks) {
    const std::vector<double> jumps = {600.0, 2400.0};
    const std::vector<double> damaged = {1200.0, 1230.0, 3000.0};
    constexpr int kWidth = 640;
    constexpr int kHeight = TimelineStrip::kHeight;
    const CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight));
    const CairoPtr cr(cairo_create(surface.get()));
    TimelineStrip::Paint(cr.get(), kWidth, kHeight, {3600.0, 1800.0, true, &jumps, &damaged});
    cairo_surface_flush(surface.get());
    const Image image =
        ImageFromPixels(cairo_image_surface_get_data(surface.get()), kWidth, kHeight,
                        cairo_image_surface_get_stride(surface.get()), true);
    EXPECT_TRUE(MatchesGolden(image, "host/timeline_paused.png", kTextTolerance));
    // A click at the middle of the bar is the middle of the span; the ends
    // and beyond them are its ends.
    EXPECT_DOUBLE_EQ(TimelineStrip::TimeAt(kWidth / 2, kWidth, 3600.0), 1800.0);
    EXPECT_DOUBLE_EQ(TimelineStrip::TimeAt(0, kWidth, 3600.0), 0.0);
    EXPECT_DOUBLE_EQ(TimelineStrip::TimeAt(kWidth, kWidth, 3600.0), 3600.0);
}
