#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "host/files/LineReader.h"
#include "host/replay/NmeaLog.h"
#include "host/replay/NmeaSummary.h"

#include "tests/support/NmeaSentence.h"

namespace {

constexpr double kDeg = M_PI / 180.0;

// Adds the checksum the way a talker would.
std::string Sentence(const std::string& body) {
    return NmeaSentence(body);
}

// "hhmmss.ss" for a number of seconds after 10:00:00.
std::string Clock(double seconds, double base = 36000.0) {
    const double t = std::fmod(base + seconds + 86400.0, 86400.0);
    const int h = static_cast<int>(t / 3600);
    const int m = static_cast<int>((t - h * 3600) / 60);
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%05.2f", h, m, t - h * 3600 - m * 60);
    return text;
}

// Fixes along the parallel of 47°30' N, a hundredth of a minute of arc east
// for every step, so that the order of the states shows.
std::string Longitude(int step) {
    char text[32];
    std::snprintf(text, sizeof text, "00510.%03d,E", 100 + step * 10);
    return text;
}

std::string Gga(double seconds, int step, const std::string& talker = "GP",
                const std::string& latitude = "4730.000") {
    return Sentence(talker + "GGA," + Clock(seconds) + "," + latitude + ",N," + Longitude(step) +
                    ",1,08,0.9,0,M,0,M,,");
}

std::string Rmc(double seconds, int step, const std::string& date = "150626") {
    return Sentence("GPRMC," + Clock(seconds) + ",A,4730.000,N," + Longitude(step) + ",5.0,090.0," +
                    date + ",,");
}

std::string Zda(double seconds, const std::string& date) {
    return Sentence("GPZDA," + Clock(seconds) + "," + date + ",00,00");
}

double LongitudeOf(int step) {
    return (5 + (10.1 + step * 0.01) / 60) * kDeg;
}

std::int64_t Accounted(const NmeaStats& s) {
    return s.used + s.skipped + s.noData + s.malformed + s.checksumFailed + s.tooLong +
           s.outOfRange;
}

struct Replay {
    std::vector<NmeaState> states;
    NmeaStats stats;
    std::string source;
};

Replay ReadAll(const std::string& text) {
    std::istringstream in(text);
    NmeaLog log;
    log.Attach(in);
    Replay replay;
    NmeaState state;
    while (log.Next(state)) {
        replay.states.push_back(state);
    }
    replay.stats = log.Stats();
    replay.source = log.PositionSource();
    EXPECT_EQ(Accounted(replay.stats), replay.stats.lines) << "a line was not accounted for";
    return replay;
}

std::string Lines(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
    std::string text;
    for (const std::string& line : lines) {
        text += line + end;
    }
    return text;
}

}  // namespace

TEST(NmeaLine, PositionsFromGgaRmcAndGll) {
    auto gga = ParseNmeaLine(
        Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") + "\r\n");
    ASSERT_EQ(gga.kind, NmeaLineKind::kUsed);
    EXPECT_EQ(gga.sentence, "GGA");
    EXPECT_EQ(gga.source, "GP");
    EXPECT_NEAR(*gga.fix.latitude, (48 + 7.038 / 60) * kDeg, 1e-12);
    EXPECT_NEAR(*gga.fix.longitude, (11 + 31.0 / 60) * kDeg, 1e-12);
    EXPECT_DOUBLE_EQ(*gga.fix.secondsOfDay, 12 * 3600 + 35 * 60 + 19);
    EXPECT_FALSE(gga.fix.day);

    auto rmc =
        ParseNmeaLine(Sentence("GPRMC,123519,A,4807.038,S,01131.000,W,022.4,084.4,230394,003.1,W"));
    ASSERT_EQ(rmc.kind, NmeaLineKind::kUsed);
    EXPECT_LT(*rmc.fix.latitude, 0);
    EXPECT_LT(*rmc.fix.longitude, 0);
    EXPECT_NEAR(*rmc.fix.course, 84.4 * kDeg, 1e-12);
    EXPECT_DOUBLE_EQ(*rmc.fix.speedKnots, 22.4);
    // 1994-03-23 12:35:19 UTC is 764426119 s after 1970 (date -d).
    EXPECT_DOUBLE_EQ(*rmc.fix.day * 86400.0 + *rmc.fix.secondsOfDay, 764426119.0);

    auto gll = ParseNmeaLine(Sentence("GPGLL,4916.45,N,12311.12,W,225444,A"));
    ASSERT_EQ(gll.kind, NmeaLineKind::kUsed);
    EXPECT_NEAR(*gll.fix.latitude, (49 + 16.45 / 60) * kDeg, 1e-12);

    // No fix, or a void status: no position, but the time still counts.
    auto noFix = ParseNmeaLine(Sentence("GPGGA,123519,4807.038,N,01131.000,E,0,00,,,M,,M,,"));
    EXPECT_EQ(noFix.kind, NmeaLineKind::kUsed);
    EXPECT_FALSE(noFix.fix.latitude);
    EXPECT_FALSE(
        ParseNmeaLine(Sentence("GPRMC,123519,V,4807.038,N,01131.000,E,,,230394,,")).fix.latitude);
}

TEST(NmeaLine, HeadingDepthTemperatureAndDate) {
    EXPECT_NEAR(*ParseNmeaLine(Sentence("HEHDT,274.07,T")).fix.heading, 274.07 * kDeg, 1e-12);
    // Magnetic 10 with 2 W deviation and 5 E variation is 13 true.
    EXPECT_NEAR(*ParseNmeaLine(Sentence("HCHDG,10.0,2.0,W,5.0,E")).fix.heading, 13 * kDeg, 1e-12);
    EXPECT_NEAR(*ParseNmeaLine(Sentence("HCHDG,359.0,,,3.0,E")).fix.heading, 2 * kDeg, 1e-12);
    const auto vtg = ParseNmeaLine(Sentence("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K"));
    EXPECT_NEAR(*vtg.fix.course, 54.7 * kDeg, 1e-12);
    EXPECT_DOUBLE_EQ(*vtg.fix.speedKnots, 5.5);
    // Talkers of NMEA 1.5 wrote VTG without the unit letters.
    EXPECT_DOUBLE_EQ(*ParseNmeaLine(Sentence("GPVTG,054.7,034.4,005.5,010.2")).fix.speedKnots, 5.5);

    EXPECT_DOUBLE_EQ(*ParseNmeaLine(Sentence("SDDBT,0036.5,f,0011.1,M,0006.0,F")).fix.depthMetres,
                     11.1);
    EXPECT_NEAR(*ParseNmeaLine(Sentence("SDDBT,100.0,f,,M,,F")).fix.depthMetres, 30.48, 1e-9);
    EXPECT_NEAR(*ParseNmeaLine(Sentence("SDDBS,,f,,M,10.0,F")).fix.depthMetres, 18.288, 1e-9);
    EXPECT_DOUBLE_EQ(*ParseNmeaLine(Sentence("SDDPT,42.0,0.5")).fix.depthMetres, 42.5);
    EXPECT_DOUBLE_EQ(*ParseNmeaLine(Sentence("SDDPT,42.0,-1.5")).fix.depthMetres, 42.0);
    EXPECT_DOUBLE_EQ(*ParseNmeaLine(Sentence("YXMTW,12.5,C")).fix.temperatureCelsius, 12.5);

    // 2002-07-04 20:15:30 UTC is 1025813730 s after 1970; 2000-02-29 was a day.
    auto zda = ParseNmeaLine(Sentence("GPZDA,201530.00,04,07,2002,00,00"));
    ASSERT_EQ(zda.kind, NmeaLineKind::kUsed);
    EXPECT_DOUBLE_EQ(*zda.fix.day * 86400.0 + *zda.fix.secondsOfDay, 1025813730.0);
    EXPECT_EQ(*ParseNmeaLine(Sentence("GPZDA,000000,29,02,2000,00,00")).fix.day, 11016);
    EXPECT_EQ(*ParseNmeaLine(Sentence("GPZDA,000000,01,03,2000,00,00")).fix.day, 11017);
}

TEST(NmeaLine, PrefixesOfLoggersAreSkipped) {
    const std::string hdt = Sentence("HEHDT,274.07,T");
    EXPECT_EQ(ParseNmeaLine("1577836800.250 " + hdt).kind, NmeaLineKind::kUsed);
    const auto tagged = ParseNmeaLine("\\s:GP0001,c:1577836800*5B\\" +
                                      Sentence("GPGLL,4916.45,N,12311.12,W,225444,A"));
    EXPECT_EQ(tagged.kind, NmeaLineKind::kUsed);
    EXPECT_EQ(tagged.source, "GP0001");
    EXPECT_EQ(ParseNmeaLine("\\s:GP0001*00\\!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*26").kind,
              NmeaLineKind::kSkipped);
}

// Each kind of line a user's log holds, and what it counts as: "malformed"
// must mean damaged.
TEST(NmeaLine, EveryLineFallsInItsKind) {
    struct Case {
        std::string line;
        NmeaLineKind kind;
    };
    const Case cases[] = {
        // Read, and nothing else.
        {"", NmeaLineKind::kSkipped},
        {"   ", NmeaLineKind::kSkipped},
        {"# logged by the bridge PC, 2026-06-15", NmeaLineKind::kSkipped},
        {Sentence("GPGSV,3,1,11,03,03,111,00"), NmeaLineKind::kSkipped},
        {Sentence("PGRME,15.0,M,45.0,M,25.0,M"), NmeaLineKind::kSkipped},
        // The instrument had no value.
        {Sentence("SDMTW,,C"), NmeaLineKind::kNoData},
        {Sentence("IIHDT,,T"), NmeaLineKind::kNoData},
        {Sentence("SDDBT,,f,,M,,F"), NmeaLineKind::kNoData},
        {Sentence("HCHDG,,,,,"), NmeaLineKind::kNoData},
        {Sentence("GPZDA,,,,,,"), NmeaLineKind::kNoData},
        {Sentence("GPRMC,,V,,,,,,,,,"), NmeaLineKind::kNoData},
        // A time without a date is a time.
        {Sentence("GPZDA,101500.00,,,,,"), NmeaLineKind::kUsed},
        // Values no instrument means.
        {Sentence("SDDBT,,f,-3.0,M,,F"), NmeaLineKind::kOutOfRange},
        {Sentence("SDDBT,,f,11000.5,M,,F"), NmeaLineKind::kOutOfRange},
        {Sentence("SDDPT,-0.1,0.5"), NmeaLineKind::kOutOfRange},
        {Sentence("YXMTW,-5.1,C"), NmeaLineKind::kOutOfRange},
        {Sentence("YXMTW,45.5,C"), NmeaLineKind::kOutOfRange},
        {Sentence("HEHDT,0x1A,T"), NmeaLineKind::kOutOfRange},
        {Sentence("HEHDT,400,T"), NmeaLineKind::kOutOfRange},
        {Sentence("GPRMC,100000,A,4730.000,N,00510.000,W,5.0,090.0,310299,,"),
         NmeaLineKind::kOutOfRange},
        {Sentence("GPRMC,100000,A,4730.000,N,00510.000,W,5.0,090.0,290223,,"),
         NmeaLineKind::kOutOfRange},
        {Sentence("GPZDA,100000.00,00,00,0000,00,00"), NmeaLineKind::kOutOfRange},
        {Sentence("GPRMC,256519,A,4807.038,N,01131.000,E,1,2,230394,,"), NmeaLineKind::kOutOfRange},
        {Sentence("GPGGA,123519,4877.038,N,01131.000,E,1,08,,,M,,M,,"), NmeaLineKind::kOutOfRange},
        {Sentence("GPGGA,123519,9100.000,N,01131.000,E,1,08,,,M,,M,,"), NmeaLineKind::kOutOfRange},
        // Damaged.
        {"garbage line", NmeaLineKind::kMalformed},
        {"$HEHDT,274.07,T*ZZ", NmeaLineKind::kMalformed},
        {"$HEHDT,274.07,T*7", NmeaLineKind::kMalformed},
        {"$hehdt,274.07,T", NmeaLineKind::kMalformed},
        {Sentence("GPGGA,123519,48x7.038,N,01131.000,E,1,08,,,M,,M,,"), NmeaLineKind::kMalformed},
        {Sentence("GPGGA,123519,4807.038,Q,01131.000,E,1,08,,,M,,M,,"), NmeaLineKind::kMalformed},
        {Sentence("GPGGA,12"), NmeaLineKind::kMalformed},
        {Sentence("GPGGA,1235,4807.038,N,01131.000,E,1,08,,,M,,M,,"), NmeaLineKind::kMalformed},
        {Sentence("GPZDA,101500.00,15,,2026,00,00"), NmeaLineKind::kMalformed},
        {Sentence("HEHDT,abc,T"), NmeaLineKind::kMalformed},
        {Sentence("HEHDT,1e2,T"), NmeaLineKind::kMalformed},
        {Sentence("HEHDT,nan,T"), NmeaLineKind::kMalformed},
        {Sentence("YXMTW,12.5,F"), NmeaLineKind::kMalformed},
        {Sentence("SDDBT,deep,f,,M,,F"), NmeaLineKind::kMalformed},
        // A damaged line is damaged even when a value is also impossible.
        {Sentence("SDDBT,x,f,-3.0,M,,F"), NmeaLineKind::kMalformed},
        {"$HEHDT,274.07,T*00", NmeaLineKind::kChecksumFailed},
    };
    for (const Case& c : cases) {
        const NmeaLine line = ParseNmeaLine(c.line);
        EXPECT_EQ(line.kind, c.kind) << c.line;
        if (line.kind != NmeaLineKind::kUsed) {
            EXPECT_TRUE(line.fix.Empty()) << c.line << ": nothing of a set-aside line is used";
        }
    }
}

// The replay sails every fix in the order of the log; time stamps only set
// its pace. A stamp out of line is counted, and its fix sailed at the log's
// own pace.
TEST(NmeaLog, TimeStampsSetThePaceAndJumpsAreCounted) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::vector<double> times;  // of the states, in replay seconds
        std::vector<int> steps;     // which fixes they show
        int jumps;
    };
    const std::vector<Case> cases = {
        {"dated fixes",
         {Rmc(0, 0), Rmc(10, 1), Rmc(20, 2), Rmc(30, 3)},
         {0, 10, 20, 30},
         {0, 1, 2, 3},
         0},
        {"time of day before the date (GGA, then RMC)",
         {Gga(0, 0), Rmc(0, 0), Gga(10, 1), Rmc(10, 1), Gga(20, 2), Rmc(20, 2)},
         {0, 10, 20},
         {0, 1, 2},
         0},
        {"one date far in the future",
         {Gga(0, 0), Zda(0, "15,06,2026"), Gga(10, 1), Zda(10, "15,06,2099"), Gga(20, 2),
          Zda(20, "15,06,2026"), Gga(30, 3)},
         {0, 10, 20, 30},
         {0, 1, 2, 3},
         1},
        {"one date in the last century",
         {Rmc(0, 0), Rmc(10, 1), Gga(20, 2), Rmc(20, 2, "150699"), Rmc(30, 3), Rmc(40, 4)},
         {0, 10, 20, 30, 40},
         {0, 1, 2, 3, 4},
         1},
        {"the receiver's clock steps back an hour",
         {Gga(0, 0), Gga(10, 1), Gga(20, 2), Gga(-3570, 3), Gga(-3560, 4), Gga(-3550, 5)},
         {0, 10, 20, 30, 40, 50},
         {0, 1, 2, 3, 4, 5},
         1},
        {"the logger was off for two hours",
         {Gga(0, 0), Gga(10, 1), Gga(7220, 2), Gga(7230, 3), Gga(7240, 4)},
         {0, 10, 20, 30, 40},
         {0, 1, 2, 3, 4},
         1},
        {"one stamp far ahead",
         {Gga(0, 0), Gga(10, 1), Gga(50000, 2), Gga(20, 3), Gga(30, 4)},
         {0, 10, 20, 30, 40},
         {0, 1, 2, 3, 4},
         1},
        // The first leap is taken at a second's pace, the log's own after it.
        {"one fix every six minutes",
         {Gga(0, 0), Gga(360, 1), Gga(720, 2), Gga(1080, 3), Gga(1440, 4)},
         {0, 1, 361, 721, 1081},
         {0, 1, 2, 3, 4},
         1},
        {"positions without a time, a second apart",
         {Sentence("GPGLL,4730.000,N," + Longitude(0)), Sentence("HEHDT,91.0,T"),
          Sentence("GPGLL,4730.000,N," + Longitude(1)),
          Sentence("GPGLL,4730.000,N," + Longitude(2))},
         {0, 1, 2},
         {0, 1, 2},
         0},
        {"the dates drop back 1024 weeks for good",
         {Gga(0, 0), Rmc(0, 0), Gga(10, 1), Rmc(10, 1, "301006"), Gga(20, 2), Rmc(20, 2, "301006"),
          Gga(30, 3), Rmc(30, 3, "301006")},
         {0, 10, 20, 30},
         {0, 1, 2, 3},
         1},
        {"time of day only, over midnight",
         {Gga(-20 - 36000, 0), Gga(-10 - 36000, 1), Gga(-36000, 2), Gga(10 - 36000, 3)},
         {0, 10, 20, 30},
         {0, 1, 2, 3},
         0},
        {"dated fixes over midnight",
         {Rmc(50390, 0), Gga(50400, 1), Rmc(50410, 2, "160626")},
         {0, 10, 20},
         {0, 1, 2},
         0},
        {"a sentence half a second behind is the same instant",
         {Rmc(0.5, 0), Gga(0, 0), Rmc(10.5, 1), Gga(10, 1)},
         {0, 10},
         {0, 1},
         0},
        {"ZDA without a date paces fixes without a time",
         {Sentence("GPZDA," + Clock(0) + ",,,,,"), Sentence("GPGLL,4730.000,N," + Longitude(0)),
          Sentence("GPZDA," + Clock(10) + ",,,,,"), Sentence("GPGLL,4730.000,N," + Longitude(1))},
         {0, 10},
         {0, 1},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Replay replay = ReadAll(Lines(c.lines));
        ASSERT_EQ(replay.states.size(), c.times.size());
        for (std::size_t i = 0; i < c.times.size(); ++i) {
            EXPECT_NEAR(replay.states[i].time, c.times[i], 1e-6) << "state " << i;
            EXPECT_NEAR(replay.states[i].longitude, LongitudeOf(c.steps[i]), 1e-12)
                << "state " << i;
        }
        EXPECT_EQ(replay.stats.timeJumps, c.jumps);
        EXPECT_EQ(replay.stats.used, static_cast<std::int64_t>(c.lines.size()));
        EXPECT_EQ(replay.stats.malformed, 0);
    }
}

TEST(NmeaLog, AnyLineEndAndOverlongLinesCostNothingElse) {
    const std::vector<std::string> fixes = {Gga(0, 0), Gga(10, 1), Gga(20, 2)};
    const std::string big(10 * 1024 * 1024, 'x');
    const std::string atLimit =
        std::string(NmeaLog::kLongestLine - fixes[1].size(), ' ') + fixes[1];
    struct Case {
        const char* name;
        std::string text;
        std::int64_t lines;
        std::int64_t tooLong;
    };
    const Case cases[] = {
        {"LF", Lines(fixes, "\n"), 3, 0},
        {"CR LF", Lines(fixes, "\r\n"), 3, 0},
        {"CR", Lines(fixes, "\r"), 3, 0},
        {"mixed, no ending on the last line", fixes[0] + "\r" + fixes[1] + "\n" + fixes[2], 3, 0},
        {"blank lines", fixes[0] + "\n\n" + fixes[1] + "\r\n\r\n" + fixes[2], 5, 0},
        {"a 10 MB line", fixes[0] + "\n" + big + "\n" + fixes[1] + "\n" + fixes[2], 4, 1},
        {"a 10 MB last line", Lines(fixes, "\n") + big, 4, 1},
        {"a line just at the limit", fixes[0] + "\n" + atLimit + "\n" + fixes[2], 3, 0},
        {"a line just over it", fixes[0] + "\n" + " " + atLimit + "\n" + fixes[1] + "\n" + fixes[2],
         4, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Replay replay = ReadAll(c.text);
        ASSERT_EQ(replay.states.size(), 3U);
        EXPECT_NEAR(replay.states[2].longitude, LongitudeOf(2), 1e-12);
        EXPECT_EQ(replay.stats.lines, c.lines);
        EXPECT_EQ(replay.stats.tooLong, c.tooLong);
        EXPECT_EQ(replay.stats.used, 3);
    }
}

// Lines come out the same whatever the size of the pieces the stream is read
// in, also when a CR LF pair or a long line is cut between two of them.
TEST(LineReader, PiecesOfAnySizeGiveTheSameLines) {
    const std::string text = "ab\r\ncd\r\r\nefghij\n\nklmnopqrstu\rv\r\n";
    const std::vector<std::string> expected = {"ab", "cd", "", "efghij", "", "", "v"};
    for (std::size_t chunk = 1; chunk <= text.size() + 1; ++chunk) {
        SCOPED_TRACE(chunk);
        std::istringstream in(text);
        LineReader reader(in, 8, chunk);
        std::vector<std::string> lines;
        std::string_view line;
        LineReader::Result result;
        int tooLong = 0;
        while ((result = reader.Next(line)) != LineReader::Result::kEnd) {
            if (result == LineReader::Result::kTooLong) {
                ++tooLong;
                lines.emplace_back("");
            } else {
                lines.emplace_back(line);
            }
        }
        EXPECT_EQ(lines, expected);
        EXPECT_EQ(tooLong, 1);  // "klmnopqrstu" is over 8
        EXPECT_EQ(reader.Offset(), text.size());
    }
}

// Positions come from one receiver: the first with a fix, until it falls
// silent; the others' sentences are skipped and counted.
TEST(NmeaLog, PositionsComeFromOneReceiver) {
    const std::string north = "4730.108";  // 200 m north of the other receiver
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::vector<int> steps;  // the fixes shown
        std::vector<bool> north;
        std::int64_t others;
        std::string source;
    };
    const std::vector<Case> cases = {
        {"two receivers in turn",
         {Gga(0, 0), Gga(0, 0, "IN", north), Gga(10, 1), Gga(10, 1, "IN", north), Gga(20, 2),
          Gga(20, 2, "IN", north)},
         {0, 1, 2},
         {false, false, false},
         3,
         "GP"},
        // A satellite receiver talks as GN, GP, GL... at once: one receiver.
        {"one receiver's satellite talkers",
         {Sentence("GNRMC," + Clock(0) + ",A,4730.000,N," + Longitude(0) + ",5.0,090.0,150626,,"),
          Gga(0, 0), Gga(10, 1, "GL"),
          Sentence("GNRMC," + Clock(10) + ",A,4730.000,N," + Longitude(1) + ",5.0,090.0,150626,,"),
          Gga(20, 2, "GA")},
         {0, 1, 2},
         {false, false, false},
         0,
         "GN/GP/GL/GA"},
        {"the first falls silent",
         {Gga(0, 0), Gga(0, 0, "IN", north), Gga(10, 1), Gga(10, 1, "IN", north),
          Gga(20, 2, "IN", north), Gga(30, 3, "IN", north), Gga(40, 4, "IN", north)},
         {0, 1, 2, 3, 4},
         {false, false, true, true, true},
         2,
         "IN"},
        {"the other's stamps step back a little",
         {Gga(0, 0), Gga(0.5, 0, "IN", north), Gga(0, 0, "IN", north), Gga(10, 1)},
         {0, 1},
         {false, false},
         2,
         "GP"},
        {"the first has no fix",
         {Sentence("GPGGA," + Clock(0) + ",,,,,0,00,,,M,,M,,"), Gga(0, 0, "IN", north),
          Sentence("GPGGA," + Clock(10) + ",,,,,0,00,,,M,,M,,"), Gga(10, 1, "IN", north)},
         {0, 1},
         {true, true},
         0,
         "IN"},
        {"two loggers' sources, one talker",
         {"\\s:GP0001*00\\" + Gga(0, 0), "\\s:GP0002*00\\" + Gga(0, 0, "GP", north),
          "\\s:GP0001*00\\" + Gga(10, 1), "\\s:GP0002*00\\" + Gga(10, 1, "GP", north)},
         {0, 1},
         {false, false},
         2,
         "GP0001"},
        {"heading and depth from any talker",
         {Gga(0, 0), Sentence("HEHDT,91.0,T"), Sentence("SDDBT,,f,42.0,M,,F"), Gga(10, 1)},
         {0, 1},
         {false, false},
         0,
         "GP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Replay replay = ReadAll(Lines(c.lines));
        ASSERT_EQ(replay.states.size(), c.steps.size());
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            EXPECT_NEAR(replay.states[i].longitude, LongitudeOf(c.steps[i]), 1e-12) << i;
            EXPECT_EQ(replay.states[i].latitude > (47.5 + 0.0001) * kDeg, c.north[i]) << i;
        }
        EXPECT_EQ(replay.stats.otherReceivers, c.others);
        EXPECT_EQ(replay.source, c.source);
    }
}

TEST(NmeaLog, StatesCarryTheLatestOfEveryInstrument) {
    const Replay replay =
        ReadAll(Lines({Rmc(0, 0), Sentence("SDDBT,,f,55.0,M,,F"), Sentence("YXMTW,13.2,C"),
                       "$SDDBT,,f,99.0,M,,F*00", "noise", Sentence("SDDBT,,f,-4,M,,F"), Gga(10, 1),
                       Sentence("HEHDT,091.0,T"), Gga(20, 2)}));
    ASSERT_EQ(replay.states.size(), 3U);
    EXPECT_DOUBLE_EQ(*replay.states[0].depthMetres, 55.0);  // not the failed or impossible ones
    EXPECT_DOUBLE_EQ(*replay.states[2].depthMetres, 55.0);
    EXPECT_DOUBLE_EQ(*replay.states[0].temperatureCelsius, 13.2);
    EXPECT_NEAR(*replay.states[0].course, 90 * kDeg, 1e-12);
    EXPECT_FALSE(replay.states[0].heading);
    EXPECT_NEAR(*replay.states[1].heading, 91 * kDeg, 1e-12);
    EXPECT_EQ(replay.stats.checksumFailed, 1);
    EXPECT_EQ(replay.stats.malformed, 1);
    EXPECT_EQ(replay.stats.outOfRange, 1);
    EXPECT_EQ(replay.stats.used, 6);
}

TEST(NmeaLog, UnreadableFilesAreErrorsNotCrashes) {
    NmeaLog missing;
    const ErrorOr<void> unread = missing.Open("/nonexistent/voyage.nmea");
    ASSERT_FALSE(unread);
    EXPECT_NE(unread.GetError().Message().find("/nonexistent/voyage.nmea"), std::string::npos);
    NmeaLog folder;
    const ErrorOr<void> notFile = folder.Open("/tmp");
    ASSERT_FALSE(notFile);
    EXPECT_NE(notFile.GetError().Message().find("folder"), std::string::npos);
}

namespace {

// A stream whose device fails after the first part of the log.
class FailingBuffer : public std::streambuf {
  public:
    explicit FailingBuffer(std::string text) : text_(std::move(text)) {
        setg(text_.data(), text_.data(), text_.data() + text_.size());
    }

  protected:
    int_type underflow() override { throw std::ios_base::failure("device error"); }

  private:
    std::string text_;
};

}  // namespace

TEST(NmeaLog, AReadErrorIsNotTakenForTheEndOfTheLog) {
    FailingBuffer buffer(Lines({Gga(0, 0), Gga(10, 1)}));
    std::istream in(&buffer);
    NmeaLog log;
    log.Attach(in);
    NmeaState state;
    while (log.Next(state)) {
    }
    EXPECT_TRUE(log.ReadFailed());
    EXPECT_NE(NmeaSummary(log).find("stopped by an error"), std::string::npos);
}
