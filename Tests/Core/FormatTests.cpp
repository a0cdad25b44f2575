#include "Core/Format.hpp"
#include "Core/Numbers.hpp"
#include "Core/Utf8.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace corvane;

TEST(Format, StorageChoosesUnitBeforeRounding)
{
    EXPECT_EQ(Format::storage(494'384'795'648), "494 GB");
    EXPECT_EQ(Format::storage(999'500'000'000), "1000 GB");
    EXPECT_EQ(Format::storage(1'000'000'000'000), "1 TB");
    EXPECT_EQ(Format::storage(2'500'000'000'000), "3 TB");
    EXPECT_EQ(Format::storage(0), "0 GB");
    EXPECT_EQ(Format::storage(std::numeric_limits<int64_t>::max()), "9223372 TB");
}

TEST(Format, PercentRoundsHalfAwayFromZeroAndGuardsNonFinite)
{
    EXPECT_EQ(Format::percent(12.5), "13%");
    EXPECT_EQ(Format::percent(12.4), "12%");
    EXPECT_EQ(Format::percent(0), "0%");
    EXPECT_EQ(Format::percent(250.0), "250%");
    EXPECT_EQ(Format::percent(-0.5), "-1%");
    EXPECT_EQ(Format::percent(std::nan("")), "0%");
    EXPECT_EQ(Format::percent(INFINITY), "9223372036854775807%");
    EXPECT_EQ(Format::percent(1e300), "9223372036854775807%");
}

TEST(Format, BytesUseMemoryUnitsWithAdaptiveDecimals)
{
    EXPECT_EQ(Format::bytes(0), "0 KB");
    EXPECT_EQ(Format::bytes(512 * 1024), "512 KB");
    EXPECT_EQ(Format::bytes(1023 * 1024), "1,023 KB");
    EXPECT_EQ(Format::bytes(1024 * 1024 - 1), "1 MB");  // would show as 1,024 KB
    EXPECT_EQ(Format::bytes(int64_t(512.25 * 1024 * 1024)), "512.3 MB");
    EXPECT_EQ(Format::bytes(int64_t(1.5 * 1024 * 1024 * 1024)), "1.5 GB");
    EXPECT_EQ(Format::bytes(int64_t(16) << 30), "16 GB");
    EXPECT_EQ(Format::bytes(int64_t(1.254 * (int64_t(1) << 30))), "1.25 GB");
    EXPECT_EQ(Format::bytes(int64_t(3) << 40), "3 TB");
    EXPECT_EQ(Format::bytes(std::numeric_limits<int64_t>::max()), "8,388,608 TB");
}

TEST(Numbers, ParsesOnlyWholeFieldsThatFit)
{
    EXPECT_EQ(Numbers::parseInt<int32_t>("2147483647"), 2147483647);
    EXPECT_FALSE(Numbers::parseInt<int32_t>("2147483648"));
    EXPECT_FALSE(Numbers::parseInt<uint32_t>("-1"));
    EXPECT_FALSE(Numbers::parseInt<int>("+1"));
    EXPECT_FALSE(Numbers::parseInt<int>("1 "));
    EXPECT_FALSE(Numbers::parseInt<int>(""));
    EXPECT_EQ(Numbers::parseFinite("1.5"), 1.5);
    EXPECT_FALSE(Numbers::parseFinite("1,5"));
    EXPECT_FALSE(Numbers::parseFinite("nan"));
    EXPECT_FALSE(Numbers::parseFinite("1e999"));
}

TEST(Numbers, ConversionsGuardRange)
{
    EXPECT_EQ(Numbers::roundToInt64(2.5), 3);
    EXPECT_EQ(Numbers::roundToInt64(-2.5), -3);
    EXPECT_FALSE(Numbers::roundToInt64(9.3e18));
    EXPECT_FALSE(Numbers::roundToInt64(std::nan("")));
    EXPECT_EQ(Numbers::truncateTo<int32_t>(-2147483648.9), -2147483648);
    EXPECT_FALSE(Numbers::truncateTo<int32_t>(2147483648.0));
    EXPECT_FALSE(Numbers::multiply(int64_t(1) << 62, 4));
}

TEST(Utf8, ReplacesEachInvalidSequenceOnce)
{
    EXPECT_EQ(Utf8::decodeLossy("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(Utf8::decodeLossy("a\xFF"), "a\xEF\xBF\xBD");
    EXPECT_EQ(Utf8::decodeLossy("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");  // overlong "/"
    EXPECT_EQ(Utf8::decodeLossy("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
    EXPECT_EQ(Utf8::decodeLossy("\xE2\x82" "A\xF0\x9F\x98"), "\xEF\xBF\xBD" "A\xEF\xBF\xBD");  // truncated
    EXPECT_TRUE(Utf8::isValid("\xF0\x9F\x98\x80"));
    EXPECT_FALSE(Utf8::isValid("\xF4\x90\x80\x80"));
}

TEST(Utf8, NamesForDisplayCannotReorderOrBreakTheirLine)
{
    // "zq", right-to-left override, "gpj.exe" would read as "zqexe.jpg".
    EXPECT_EQ(Utf8::nameForDisplay("zq\u202Egpj.exe"), "zqgpj.exe");
    for (const char* control : {"\u202A", "\u202B", "\u202C", "\u202D", "\u2066", "\u2067", "\u2068", "\u2069",
                                "\u200E", "\u200F", "\u061C"})
        EXPECT_EQ(Utf8::nameForDisplay(std::string("a") + control + "b"), "ab") << control;
    EXPECT_EQ(Utf8::nameForDisplay("Mail\nSafe to quit"), "Mail Safe to quit");
    EXPECT_EQ(Utf8::nameForDisplay(std::string("a\0b\tc\r\x7F\xC2\x85\u2028\u2029\x1B", 16)), "a b c" + std::string(6, ' '));
    EXPECT_EQ(Utf8::nameForDisplay("caf\xC3\xA9 \xD7\x90 \xEF\xBF\xBD"), "caf\xC3\xA9 \xD7\x90 \xEF\xBF\xBD");
    EXPECT_EQ(Utf8::nameForDisplay("a\xFF"), "a\xEF\xBF\xBD");
}
