#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "host/NmeaLog.h"

namespace {

constexpr double kDeg = M_PI / 180.0;

// Adds the checksum the way a talker would.
std::string Sentence(const std::string& body) {
    unsigned sum = 0;
    for (unsigned char ch : body) {
        sum ^= ch;
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail;
}

}  // namespace

TEST(NmeaLine, PositionsFromGgaRmcAndGll) {
    auto gga = ParseNmeaLine(
        Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") + "\r\n");
    ASSERT_EQ(gga.kind, NmeaLineKind::kUsed);
    EXPECT_EQ(gga.sentence, "GGA");
    EXPECT_NEAR(*gga.fix.latitude, (48 + 7.038 / 60) * kDeg, 1e-12);
    EXPECT_NEAR(*gga.fix.longitude, (11 + 31.0 / 60) * kDeg, 1e-12);
    EXPECT_DOUBLE_EQ(*gga.fix.time, 12 * 3600 + 35 * 60 + 19);
    EXPECT_FALSE(gga.fix.timeHasDate);

    auto rmc =
        ParseNmeaLine(Sentence("GPRMC,123519,A,4807.038,S,01131.000,W,022.4,084.4,230394,003.1,W"));
    ASSERT_EQ(rmc.kind, NmeaLineKind::kUsed);
    EXPECT_LT(*rmc.fix.latitude, 0);
    EXPECT_LT(*rmc.fix.longitude, 0);
    EXPECT_NEAR(*rmc.fix.course, 84.4 * kDeg, 1e-12);
    EXPECT_DOUBLE_EQ(*rmc.fix.speedKnots, 22.4);
    EXPECT_TRUE(rmc.fix.timeHasDate);
    EXPECT_DOUBLE_EQ(*rmc.fix.time, 764426119.0);  // 1994-03-23 12:35:19 UTC

    auto gll = ParseNmeaLine(Sentence("GPGLL,4916.45,N,12311.12,W,225444,A"));
    ASSERT_EQ(gll.kind, NmeaLineKind::kUsed);
    EXPECT_NEAR(*gll.fix.latitude, (49 + 16.45 / 60) * kDeg, 1e-12);

    // No fix, or a void status: no position.
    EXPECT_FALSE(
        ParseNmeaLine(Sentence("GPGGA,123519,4807.038,N,01131.000,E,0,00,,,M,,M,,")).fix.latitude);
    EXPECT_FALSE(
        ParseNmeaLine(Sentence("GPRMC,123519,V,4807.038,N,01131.000,E,,,230394,,")).fix.latitude);
}

TEST(NmeaLine, HeadingDepthAndTemperature) {
    EXPECT_NEAR(*ParseNmeaLine(Sentence("HEHDT,274.07,T")).fix.heading, 274.07 * kDeg, 1e-12);
    // Magnetic 10 with 2 W deviation and 5 E variation is 13 true.
    EXPECT_NEAR(*ParseNmeaLine(Sentence("HCHDG,10.0,2.0,W,5.0,E")).fix.heading, 13 * kDeg, 1e-12);
    EXPECT_NEAR(*ParseNmeaLine(Sentence("HCHDG,359.0,,,3.0,E")).fix.heading, 2 * kDeg, 1e-12);
    EXPECT_NEAR(*ParseNmeaLine(Sentence("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K")).fix.course,
                54.7 * kDeg, 1e-12);

    EXPECT_DOUBLE_EQ(*ParseNmeaLine(Sentence("SDDBT,0036.5,f,0011.1,M,0006.0,F")).fix.depthMetres,
                     11.1);
    EXPECT_NEAR(*ParseNmeaLine(Sentence("SDDBT,100.0,f,,M,,F")).fix.depthMetres, 30.48, 1e-9);
    EXPECT_NEAR(*ParseNmeaLine(Sentence("SDDBS,,f,,M,10.0,F")).fix.depthMetres, 18.288, 1e-9);
    EXPECT_DOUBLE_EQ(*ParseNmeaLine(Sentence("SDDPT,42.0,0.5")).fix.depthMetres, 42.5);
    EXPECT_DOUBLE_EQ(*ParseNmeaLine(Sentence("SDDPT,42.0,-1.5")).fix.depthMetres, 42.0);
    EXPECT_DOUBLE_EQ(*ParseNmeaLine(Sentence("YXMTW,12.5,C")).fix.temperatureCelsius, 12.5);

    auto zda = ParseNmeaLine(Sentence("GPZDA,201530.00,04,07,2002,00,00"));
    ASSERT_EQ(zda.kind, NmeaLineKind::kUsed);
    EXPECT_DOUBLE_EQ(*zda.fix.time, 1025813730.0);  // 2002-07-04 20:15:30 UTC
}

TEST(NmeaLine, PrefixesOfLoggersAreSkipped) {
    const std::string hdt = Sentence("HEHDT,274.07,T");
    EXPECT_EQ(ParseNmeaLine("1577836800.250 " + hdt).kind, NmeaLineKind::kUsed);
    EXPECT_EQ(ParseNmeaLine("\\s:GP0001,c:1577836800*5B\\" + hdt).kind, NmeaLineKind::kUsed);
    EXPECT_EQ(ParseNmeaLine("\\s:GP0001*00\\!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*26").kind,
              NmeaLineKind::kSkipped);
}

TEST(NmeaLine, BadLinesAreClassifiedNeverThrown) {
    EXPECT_EQ(ParseNmeaLine(Sentence("HEHDT,274.07,T")).kind, NmeaLineKind::kUsed);
    EXPECT_EQ(ParseNmeaLine("$HEHDT,274.07,T*00").kind, NmeaLineKind::kChecksumFailed);
    EXPECT_EQ(ParseNmeaLine("$HEHDT,274.07,T*ZZ").kind, NmeaLineKind::kMalformed);
    EXPECT_EQ(ParseNmeaLine("garbage line").kind, NmeaLineKind::kMalformed);
    EXPECT_EQ(ParseNmeaLine("").kind, NmeaLineKind::kSkipped);
    EXPECT_EQ(ParseNmeaLine(Sentence("GPGSV,3,1,11,03,03,111,00")).kind, NmeaLineKind::kSkipped);
    EXPECT_EQ(ParseNmeaLine(Sentence("PGRME,15.0,M,45.0,M,25.0,M")).kind, NmeaLineKind::kSkipped);
    for (const char* bad : {"GPGGA,123519,48x7.038,N,01131.000,E,1,08,,,M,,M,,",
                            "GPGGA,123519,4807.038,Q,01131.000,E,1,08,,,M,,M,,",
                            "GPGGA,123519,4877.038,N,01131.000,E,1,08,,,M,,M,,",
                            "GPRMC,256519,A,4807.038,N,01131.000,E,1,2,230394,,", "GPGGA,12",
                            "HEHDT,abc,T", "HEHDT,400,T", "YXMTW,12.5,F", "SDDBT,deep,f,,M,,F"}) {
        EXPECT_EQ(ParseNmeaLine(Sentence(bad)).kind, NmeaLineKind::kMalformed) << bad;
    }
}

TEST(NmeaLog, GathersOneStatePerInstantAndCountsWhatItSkipped) {
    std::stringstream log;
    log << Sentence("GPRMC,100000,A,4730.000,N,00510.000,W,5.0,090.0,010626,,") << "\r\n"
        << Sentence("SDDBT,,f,55.0,M,,F") << "\r\n"
        << Sentence("YXMTW,13.2,C") << "\r\n"
        << "$SDDBT,,f,99.0,M,,F*00\r\n"  // checksum fails
        << "noise\r\n"
        << Sentence("GPGSV,3,1,11,03,03,111,00") << "\r\n"
        << Sentence("GPGGA,100010,4730.000,N,00509.900,W,1,08,0.9,0,M,0,M,,") << "\r\n"
        << Sentence("HEHDT,091.0,T") << "\r\n"
        << Sentence("GPGGA,100020,4730.000,N,00509.800,W,1,08,0.9,0,M,0,M,,") << "\r\n";
    NmeaLog nmea;
    nmea.Read(log);
    const auto& states = nmea.States();
    ASSERT_EQ(states.size(), 3U);
    EXPECT_DOUBLE_EQ(states[1].time - states[0].time, 10.0);
    EXPECT_DOUBLE_EQ(states[2].time - states[1].time, 10.0);
    EXPECT_DOUBLE_EQ(*states[0].depthMetres, 55.0);  // the failed line did not count
    EXPECT_DOUBLE_EQ(*states[0].temperatureCelsius, 13.2);
    EXPECT_FALSE(states[0].heading);
    EXPECT_NEAR(*states[1].heading, 91 * kDeg, 1e-12);
    EXPECT_NEAR(states[2].longitude, -(5 + 9.8 / 60) * kDeg, 1e-12);

    const NmeaStats& stats = nmea.Stats();
    EXPECT_EQ(stats.lines, 9);
    EXPECT_EQ(stats.used, 6);
    EXPECT_EQ(stats.checksumFailed, 1);
    EXPECT_EQ(stats.malformed, 1);
    EXPECT_EQ(stats.skipped, 1);
}

TEST(NmeaLog, TimesOfDayRollOverMidnight) {
    std::stringstream log;
    log << Sentence("GPGGA,235950,4730.000,N,00510.000,W,1,08,0.9,0,M,0,M,,") << "\n"
        << Sentence("GPGGA,000010,4730.000,N,00509.000,W,1,08,0.9,0,M,0,M,,") << "\n";
    NmeaLog nmea;
    nmea.Read(log);
    ASSERT_EQ(nmea.States().size(), 2U);
    EXPECT_DOUBLE_EQ(nmea.States()[1].time - nmea.States()[0].time, 20.0);
}

TEST(NmeaLog, MissingFileIsAnErrorNotACrash) {
    NmeaLog nmea;
    std::string error;
    EXPECT_FALSE(nmea.Load("/nonexistent/voyage.nmea", error));
    EXPECT_NE(error.find("/nonexistent/voyage.nmea"), std::string::npos);
}
