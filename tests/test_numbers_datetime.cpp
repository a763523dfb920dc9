#include "base/datetime.h"
#include "base/numbers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace tackedit {
namespace {

TEST(Rounding, HalvesGoToEvenAndTruncationIsNotUsed)
{
    EXPECT_EQ(RoundHalfEven(0.5L), 0);
    EXPECT_EQ(RoundHalfEven(1.5L), 2);
    EXPECT_EQ(RoundHalfEven(2.5L), 2);
    EXPECT_EQ(RoundHalfEven(-2.5L), -2);
    EXPECT_EQ(RoundHalfEven(-3.5L), -4);
    EXPECT_EQ(RoundHalfEven(2.5000001L), 3);
    EXPECT_EQ(RoundHalfEven(-0.6L), -1);
    EXPECT_EQ(RoundHalfEvenToInt32(1e12L), INT32_MAX);
    EXPECT_EQ(RoundHalfEvenToInt32(-1e12L), INT32_MIN);
}

TEST(ParseReal, AcceptsDecimalTextsOnly)
{
    EXPECT_EQ(*ParseReal("35.5"), 35.5L);
    EXPECT_EQ(*ParseReal("  -33.25 "), -33.25L);
    EXPECT_EQ(*ParseReal("+1e3"), 1000.0L);
    EXPECT_EQ(*ParseReal(".5"), 0.5L);
    EXPECT_EQ(*ParseReal("7."), 7.0L);
    EXPECT_EQ(*ParseReal("5E-6"), 5e-6L);
    for (const char* bad : {"", " ", "-", ".", "1.2.3", "35,5", "1e", "0x10", "nan", "inf", "12a", "'35.5'"})
        EXPECT_FALSE(ParseReal(bad)) << bad;
    // More digits than the fast path holds still convert.
    EXPECT_NEAR(static_cast<double>(*ParseReal("3.14159265358979323846264338")), 3.141592653589793, 1e-15);
    EXPECT_FALSE(ParseReal("1e99999"));
}

TEST(ParseReal, DegreesTimesSixtyGiveTheNearestDouble)
{
    // A degree text times 60 must read back as the decimal a user would expect.
    EXPECT_EQ(static_cast<double>(*ParseReal("35.123456") * 60), 2107.40736);
    EXPECT_EQ(static_cast<double>(*ParseReal("139.7612") * 60), 8385.672);
    EXPECT_EQ(static_cast<double>(*ParseReal("12.3456") + 2100), 2112.3456);
}

TEST(ParseInteger, SignedDecimalOnly)
{
    EXPECT_EQ(*ParseInteger("09"), 9);
    EXPECT_EQ(*ParseInteger(" -12 "), -12);
    EXPECT_FALSE(ParseInteger(""));
    EXPECT_FALSE(ParseInteger("1.0"));
    EXPECT_FALSE(ParseInteger("99999999999999999999999"));
}

TEST(DateTime, DayNumbersCountFrom1899_12_30)
{
    EXPECT_EQ(*TryEncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(*TryEncodeDate(1970, 1, 1), TrackEpoch);
    EXPECT_EQ(*TryEncodeDate(2010, 1, 1), 40179.0);
    EXPECT_EQ(*TryEncodeDate(1900, 3, 1), 61.0);
    EXPECT_EQ(*TryEncodeDate(2000, 2, 29), 36585.0);
    EXPECT_FALSE(TryEncodeDate(2001, 2, 29));
    EXPECT_FALSE(TryEncodeDate(2010, 13, 1));
    EXPECT_FALSE(TryEncodeDate(2010, 0, 1));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1));
    EXPECT_EQ(*TryEncodeTime(12, 0, 0), 0.5);
    EXPECT_FALSE(TryEncodeTime(24, 0, 0));
    EXPECT_FALSE(TryEncodeTime(1, 60, 0));
}

TEST(DateTime, EpochSecondsAreTheNearestDoubleOfTheExtendedSum)
{
    std::mt19937 random(13);
    std::uniform_int_distribution<std::int32_t> any(INT32_MIN, INT32_MAX);
    std::vector<std::int32_t> seconds = {0, 1, -1, 86399, 86400, INT32_MAX, INT32_MIN};
    for (int i = 0; i < 200000; ++i)
        seconds.push_back(any(random));
    for (const std::int32_t s : seconds) {
        const double expected = static_cast<double>(TrackEpoch + static_cast<long double>(s) / 24 / 3600);
        ASSERT_EQ(FromEpochSeconds(s), expected) << s;
    }
}

TEST(DateTime, DecodeRoundsTheWayEachUseNeeds)
{
    const double noon_and_a_bit = *TryEncodeDate(2010, 5, 3) + *TryEncodeTime(12, 34, 56, 700);
    // Shown date-times drop the fraction of a second...
    EXPECT_EQ(FormatIsoDateTime(DecodeDateTime(noon_and_a_bit)), "2010-05-03 12:34:56");
    // ...the dump rounds to the nearest second, halves to even.
    EXPECT_EQ(FormatIsoDateTime(DecodeDateTimeToSecond(noon_and_a_bit)), "2010-05-03 12:34:57");
    // 1/256 and 3/256 of a day are exactly 337.5 and 1012.5 seconds.
    const double day = *TryEncodeDate(2010, 5, 3);
    EXPECT_EQ(FormatIsoDateTime(DecodeDateTimeToSecond(day + 1.0 / 256)), "2010-05-03 00:05:38");
    EXPECT_EQ(FormatIsoDateTime(DecodeDateTimeToSecond(day + 3.0 / 256)), "2010-05-03 00:16:52");
    const double late = *TryEncodeDate(2010, 12, 31) + *TryEncodeTime(23, 59, 59, 800);
    EXPECT_EQ(FormatIsoDateTime(DecodeDateTimeToSecond(late)), "2011-01-01 00:00:00");
    // Before day 0 the whole part counts back while the fraction runs forward.
    EXPECT_EQ(FormatIsoDateTime(DecodeDateTime(-1.25)), "1899-12-29 06:00:00");
    EXPECT_EQ(FormatIsoDateTime(DecodeDateTime(0)), "1899-12-30 00:00:00");
}

TEST(DateTime, ParsesDatesAndTimesOfTheTrackFormats)
{
    EXPECT_EQ(*ParseDateYmd("2010-05-03"), *TryEncodeDate(2010, 5, 3));
    EXPECT_EQ(*ParseDateYmd("2010/5/3"), *TryEncodeDate(2010, 5, 3));
    // Two-digit years: GPS tracks start in 1980.
    EXPECT_EQ(*ParseDateYmd("10/05/03"), *TryEncodeDate(2010, 5, 3));
    EXPECT_EQ(*ParseDateYmd("79/1/1"), *TryEncodeDate(2079, 1, 1));
    EXPECT_EQ(*ParseDateYmd("80/1/1"), *TryEncodeDate(1980, 1, 1));
    for (const char* bad : {"", "2010-05", "2010-05-03x", "2010.05.03", "2010-02-30", "//", "2010--03"})
        EXPECT_FALSE(ParseDateYmd(bad)) << bad;

    EXPECT_EQ(*ParseTimeOfDay("01:02:03"), *TryEncodeTime(1, 2, 3));
    EXPECT_EQ(*ParseTimeOfDay("1:2"), *TryEncodeTime(1, 2, 0));
    EXPECT_EQ(*ParseTimeOfDay("12:35:1"), *TryEncodeTime(12, 35, 1));
    EXPECT_EQ(*ParseTimeOfDay("12:34:56.5"), *TryEncodeTime(12, 34, 56, 500));
    for (const char* bad : {"", "12", "::", "24:00:00", "12:60:00", "1:02:03z", "12:34:56:78", "1234:5:6"})
        EXPECT_FALSE(ParseTimeOfDay(bad)) << bad;
}

TEST(DateTime, EightByteTimesCheckEveryByte)
{
    EXPECT_EQ(*ParseTimeOfDay("23:59:59"), *TryEncodeTime(23, 59, 59));
    EXPECT_EQ(*ParseTimeOfDay("00:00:00"), 0);
    // Bytes just beside the digits, a colon out of place, bytes above ASCII.
    for (const char* bad : {"12:3/:00", "12:34:5:", "12;34:56", "12:34;56", "1::34:56", "\xff" "2:34:56",
                            "12:34:\xf9" "0", "12-34-56"})
        EXPECT_FALSE(ParseTimeOfDay(bad)) << bad;
}

} // namespace
} // namespace tackedit
