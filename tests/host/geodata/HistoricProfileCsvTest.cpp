#include "host/geodata/HistoricProfileCsv.h"

#include <gtest/gtest.h>

#include <cmath>

#include "host/geodata/SurveyThinning.h"

namespace {

constexpr double kDeg = M_PI / 180.0;

}  // namespace

// Every line of a file ends up as a sounding, a bad line with its number and
// reason, or a line passed over (header, blank, comment): none is lost,
// whatever ends the lines.
TEST(HistoricProfileCsv, AccountsForEveryLine) {
    struct Line {
        const char* text;
        const char* outcome;  // "point", "over", or the start of the reason
    };
    const Line lines[] = {
        {"\xEF\xBB\xBFlatitude;longitude;depth (m)", "over"},
        {"47.5,-5.2,40", "point"},
        {"47.51;-5.21;41.5", "point"},
        {"47.52\t-5.22\t42", "point"},
        {" 47.53 , \"-5.23\" , +43 ", "point"},
        {"", "over"},
        {"# resurveyed in 2019", "over"},
        {"lat,lon,depth", "not three numbers"},  // a header only on the first line
        {"47.5,-5.2", "not three fields but 2"},
        {"47.5,-5.2,40,", "not three fields but 4"},
        {"47,5;-5,2;40", "not three fields but 5"},
        {"47.5 -5.2 40", "not three fields but 1"},
        {"47.5,-5.2,4O", "not three numbers"},
        {"95.0,-5.2,40", "latitude out of range"},
        {"nan,-5.2,40", "latitude out of range"},
        {"47.5,-181,40", "longitude out of range"},
        {"47.5,-5.2,inf", "depth not a finite number"},
        {"47.5,-5.2,-3", "negative depth"},
        {"47.5,-5.2,1e308", "deeper than any sea"},
        {"47.5,-5.2,11000.5", "deeper than any sea"},
        {"47.5,-5.2,1100", "point"},
        {"-90,180,0", "point"},
    };
    // Lines end as they may: LF, CR LF, or CR alone (and one too long to be a sounding).
    const char* endings[] = {"\n", "\r\n", "\r"};
    std::string text;
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        text += std::string(lines[i].text) + endings[i % 3];
    }
    text += std::string(HistoricProfileCsv::kLongestLine + 1, '4') + "\r";
    HistoricProfileCsv csv;
    csv.AddText(text);

    long points = 0;
    long over = 0;
    std::vector<std::pair<long, std::string>> bad;
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        const std::string outcome = lines[i].outcome;
        points += outcome == "point";
        over += outcome == "over";
        if (outcome != "point" && outcome != "over") {
            bad.emplace_back(static_cast<long>(i + 1), outcome);
        }
    }
    EXPECT_EQ(csv.Lines(), static_cast<long>(std::size(lines)) + 1);
    ASSERT_EQ(static_cast<long>(csv.Points().size()), points);
    EXPECT_EQ(csv.PassedOver(), over);
    EXPECT_EQ(csv.BadLineCount(), static_cast<long>(bad.size()) + 1);
    // The first few bad lines by number, with their reasons.
    ASSERT_EQ(csv.BadLines().size(), HistoricProfileCsv::kBadLinesKept);
    for (std::size_t i = 0; i < csv.BadLines().size(); ++i) {
        EXPECT_EQ(csv.BadLines()[i].number, bad[i].first);
        EXPECT_EQ(csv.BadLines()[i].reason.rfind(bad[i].second, 0), 0U) << csv.BadLines()[i].reason;
    }
    const HistoricPoint& fourth = csv.Points()[3];
    EXPECT_DOUBLE_EQ(fourth.latitude, 47.53 * kDeg);
    EXPECT_DOUBLE_EQ(fourth.longitude, -5.23 * kDeg);
    EXPECT_DOUBLE_EQ(fourth.depth, 43.0);
    EXPECT_DOUBLE_EQ(csv.Points().back().longitude, M_PI);
}

// A survey is thinned to at most the points asked for, in its order, the
// first and the last kept, each at least the spacing from the one before:
// checked against every pair of the kept points and the soundings between.
TEST(SurveyThinning, KeepsSpacedSoundingsInOrderUpToTheMost) {
    const double metre = 1.0 / 6371000.0;
    struct Case {
        const char* name;
        std::vector<HistoricPoint> soundings;
        std::size_t most;
        std::size_t kept;  // 0: only the bound is known
    };
    std::vector<HistoricPoint> line;   // every 0.4 m, eastwards along the equator
    std::vector<HistoricPoint> swath;  // a zigzag 100 m across, 1 m along per beam
    for (int i = 0; i < 50000; ++i) {
        line.push_back({0.0, i * 0.4 * metre, 10.0 + i % 7});
        swath.push_back({(i % 50) * 2.0 * metre * ((i / 50) % 2 ? -1 : 1), i / 50 * metre, 20.0});
    }
    const std::vector<HistoricPoint> across = {
        {0.0, M_PI - 2 * metre, 1.0}, {0.0, -M_PI + metre, 2.0}, {0.0, -M_PI + 5 * metre, 3.0}};
    const Case cases[] = {
        {"a line 0.4 m apart: every third, 1.2 m apart", line, 100000, 16668},
        {"a line thinned to the most", line, 1000, 0},
        {"a swath", swath, 2000, 0},
        {"across the antimeridian", across, 3, 3},
        {"one sounding", {{0.1, 0.2, 3.0}}, 10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ThinnedSurvey thinned = ThinSurvey(c.soundings, c.most);
        const std::vector<HistoricPoint>& kept = thinned.points;
        ASSERT_FALSE(kept.empty());
        EXPECT_LE(kept.size(), c.most);
        if (c.kept > 0) {
            EXPECT_EQ(kept.size(), c.kept);
        } else {
            EXPECT_GT(kept.size(), c.most / 4) << "thinned no more than needed";
        }
        EXPECT_EQ(kept.front().longitude, c.soundings.front().longitude);
        EXPECT_EQ(kept.back().longitude, c.soundings.back().longitude);
        // A subsequence, each kept one far enough (by the haversine) from the one before.
        std::size_t at = 0;
        for (std::size_t k = 0; k < kept.size(); ++k) {
            while (at < c.soundings.size() && (c.soundings[at].latitude != kept[k].latitude ||
                                               c.soundings[at].longitude != kept[k].longitude)) {
                ++at;
            }
            ASSERT_LT(at, c.soundings.size()) << "kept " << k << " is not in order";
            if (k > 0 && k + 1 < kept.size()) {
                const double dLat = kept[k].latitude - kept[k - 1].latitude;
                const double dLon = kept[k].longitude - kept[k - 1].longitude;
                const double a = std::pow(std::sin(dLat / 2), 2) +
                                 std::cos(kept[k].latitude) * std::cos(kept[k - 1].latitude) *
                                     std::pow(std::sin(dLon / 2), 2);
                EXPECT_GE(2 * std::asin(std::sqrt(a)) / metre, thinned.spacingMetres * 0.999)
                    << "kept " << k;
            }
        }
    }
}
