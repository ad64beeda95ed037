#include "framework/SysUtils.h"

#include <gtest/gtest.h>

namespace {

const int Fallback = 12345;

struct ParseCase {
    const char* text;
    bool parses;
    int value;
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
    *os << '"' << c.text << '"';
}

class StrToIntDefTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(StrToIntDefTest, ParsesOrFallsBack)
{
    const ParseCase& c = GetParam();
    EXPECT_EQ(c.parses ? c.value : Fallback, StrToIntDef(c.text, Fallback));
}

const ParseCase Cases[] = {
    // Decimal, with blanks before and a sign.
    {"500", true, 500},
    {"0", true, 0},
    {"007", true, 7},
    {" 250", true, 250},
    {"   -5", true, -5},
    {"+7", true, 7},
    {"-0", true, 0},
    {"-7", true, -7},
    {"2147483647", true, 2147483647},
    {"-2147483648", true, -2147483647 - 1},
    {"0000000000002147483647", true, 2147483647},
    {"2147483648", false, 0},
    {"-2147483649", false, 0},
    {"4294967296", false, 0},
    {"99999999999999999999", false, 0},
    // Hexadecimal with each prefix, either case of digits.
    {"$1F4", true, 500},
    {"0x1F4", true, 500},
    {"0X1f4", true, 500},
    {"x1F", true, 31},
    {"X1f", true, 31},
    {" $10", true, 16},
    {"0xFFFFFFFF", true, -1},
    {"$ffffffff", true, -1},
    {"$80000000", true, -2147483647 - 1},
    {"$7FFFFFFF", true, 2147483647},
    {"$000000001F4", true, 500},
    {"$123456789", false, 0},
    {"0x100000000", false, 0},
    // Prefix or sign with nothing after it, or in the wrong place.
    {"", false, 0},
    {"   ", false, 0},
    {"$", false, 0},
    {"x", false, 0},
    {"0x", false, 0},
    {"-", false, 0},
    {"+", false, 0},
    {"-$5", false, 0},
    {"+$5", false, 0},
    {"-0x5", false, 0},
    {"$-5", false, 0},
    {"--1", false, 0},
    {"- 5", false, 0},
    {"00x1F", false, 0},
    // Anything after the digits, or inside them.
    {"250ms", false, 0},
    {"250 ", false, 0},
    {"2 50", false, 0},
    {"1-", false, 0},
    {"$1G", false, 0},
    {"0x1F4h", false, 0},
    {"1.5", false, 0},
    {"yes", false, 0},
};

INSTANTIATE_TEST_SUITE_P(Table, StrToIntDefTest, ::testing::ValuesIn(Cases));

TEST(StrToIntDefTest, EmbeddedNulEndsNothing)
{
    EXPECT_EQ(Fallback, StrToIntDef(AnsiString("12\0" "3", 4), Fallback));
}

} // namespace
