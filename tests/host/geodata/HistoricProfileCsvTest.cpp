#include "host/geodata/HistoricProfileCsv.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kDeg = M_PI / 180.0;

}  // namespace

// Every line of a file ends up as a sounding, a bad line with its number and
// reason, or a line passed over (header, blank, comment): none is lost.
TEST(HistoricProfileCsv, AccountsForEveryLine) {
    struct Line {
        const char* text;
        const char* outcome;  // "point", "over", or the start of the reason
    };
    const Line lines[] = {
        {"\xEF\xBB\xBFlatitude;longitude;depth (m)", "over"},
        {"47.5,-5.2,40", "point"},
        {"47.51;-5.21;41.5\r", "point"},
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
        {"-90,180,0", "point"},
    };
    std::string text;
    for (const Line& line : lines) {
        text += std::string(line.text) + "\n";
    }
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
    EXPECT_EQ(csv.Lines(), static_cast<long>(std::size(lines)));
    ASSERT_EQ(static_cast<long>(csv.Points().size()), points);
    EXPECT_EQ(csv.PassedOver(), over);
    EXPECT_EQ(csv.BadLineCount(), static_cast<long>(bad.size()));
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
