// Numeric reading, the width table, the presets and the custom-length rule.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/char_widths.h"
#include "engine/line_settings.h"
#include "engine/numeric_reading.h"

using namespace tessaline;

TEST(NumericReading, ReadsTheLeadingNumberIgnoringBlanks)
{
    EXPECT_EQ(readNumber(" 2 4 "), 24.0);
    EXPECT_EQ(readNumber("\t1\n2 3"), 123.0);
    EXPECT_EQ(readNumber("12.5"), 12.5);
    EXPECT_EQ(readNumber("-5"), -5.0);
    EXPECT_EQ(readNumber("+7"), 7.0);
    EXPECT_EQ(readNumber("- 5"), -5.0);
    EXPECT_EQ(readNumber(".5"), 0.5);
    EXPECT_EQ(readNumber("3.25.7"), 3.25);  // a second point ends the number
    EXPECT_EQ(readNumber("40px"), 40.0);
    EXPECT_EQ(readNumber("1,5"), 1.0);  // only the point separates decimals
    EXPECT_EQ(readNumber("1e3"), 1000.0);
    EXPECT_EQ(readNumber("2.5E-1"), 0.25);
    EXPECT_EQ(readNumber("1 E + 2"), 100.0);
    EXPECT_EQ(readNumber("1d2"), 1.0);  // only E starts an exponent
    EXPECT_EQ(readNumber("2D"), 2.0);
    EXPECT_EQ(readNumber("7E"), 7.0);  // no exponent digits: the number ends before E
    EXPECT_EQ(readNumber("7E+x"), 7.0);
    EXPECT_EQ(readNumber("\r5"), 0.0);  // CR is not one of the ignored characters
}

TEST(NumericReading, HexOctalAndNoNumber)
{
    EXPECT_EQ(readNumber("&H20"), 32.0);
    EXPECT_EQ(readNumber("&hff"), 255.0);
    EXPECT_EQ(readNumber("& H 1 0"), 16.0);
    EXPECT_EQ(readNumber("&O17"), 15.0);
    EXPECT_EQ(readNumber("&o19"), 1.0);  // 9 is no octal digit
    EXPECT_EQ(readNumber("&H"), 0.0);
    EXPECT_EQ(readNumber("&X1"), 0.0);
    EXPECT_EQ(readNumber("abc"), 0.0);
    EXPECT_EQ(readNumber(""), 0.0);
    EXPECT_EQ(readNumber("   "), 0.0);
    EXPECT_EQ(readNumber("-"), 0.0);
    EXPECT_EQ(readNumber("."), 0.0);
    EXPECT_EQ(readNumber("--5"), 0.0);
    EXPECT_TRUE(std::isinf(readNumber("1e999")));
    EXPECT_EQ(readNumber("1e-999"), 0.0);
    EXPECT_EQ(readNumber("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_TRUE(std::isinf(readNumber(std::string(400, '9'))));
}

TEST(NumericReading, RoundsHalfToEvenIntoSixteenBits)
{
    EXPECT_EQ(roundToInt16(12.5), 12);
    EXPECT_EQ(roundToInt16(13.5), 14);
    EXPECT_EQ(roundToInt16(-2.5), -2);
    EXPECT_EQ(roundToInt16(-3.5), -4);
    EXPECT_EQ(roundToInt16(2.4999), 2);
    EXPECT_EQ(roundToInt16(2.5001), 3);
    EXPECT_EQ(roundToInt16(-0.4), 0);
    EXPECT_EQ(roundToInt16(32767.0), 32767);
    EXPECT_EQ(roundToInt16(32767.4), 32767);
    EXPECT_EQ(roundToInt16(-32768.5), -32768);
    EXPECT_EQ(roundToInt16(32767.5), std::nullopt);
    EXPECT_EQ(roundToInt16(-32768.6), std::nullopt);
    EXPECT_EQ(roundToInt16(40000.0), std::nullopt);
    EXPECT_EQ(roundToInt16(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(roundToInt16(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
}

TEST(charWidths, DefaultTableFollowsTheWidthList)
{
    const CharWidthTable& w = defaultCharWidths();
    EXPECT_EQ(w[0], 0);
    EXPECT_EQ(w[256], 0);
    for (int code = 0; code <= 13; ++code) {
        EXPECT_EQ(w[code], 0) << code;
    }
    EXPECT_EQ(w[14], 5);
    EXPECT_EQ(w[15], 6);
    EXPECT_EQ(w[32], 2);
    EXPECT_EQ(w['a'], 4);
    EXPECT_EQ(w['M'], 6);
    EXPECT_EQ(w[150], 5);
    EXPECT_EQ(w[151], 3);
    EXPECT_EQ(w[155], 4);
    EXPECT_EQ(w[174], 8);
    EXPECT_EQ(w[255], 4);
    int widest = 0;
    for (int code = 0; code < 256; ++code) {
        widest = std::max<int>(widest, w[code]);
        ASSERT_EQ(widthStrings()[code].size(), 1u);
        EXPECT_EQ(w[code], widthStrings()[code][0] - '0') << code;
    }
    EXPECT_EQ(widest, 8);
}

TEST(charWidths, LoadReadsItemsOneTo255)
{
    std::vector<std::string> items(256, "3");
    items[0] = "not read";
    items[1] = " 1 2 ";
    items[2] = "2.5";
    items[3] = "&H10";
    items[4] = "x";
    items[255] = "-7";
    CharWidthTable t = loadCharWidths(items);
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[1], 12);
    EXPECT_EQ(t[2], 2);
    EXPECT_EQ(t[3], 16);
    EXPECT_EQ(t[4], 0);
    EXPECT_EQ(t[5], 3);
    EXPECT_EQ(t[255], -7);
    EXPECT_EQ(t[256], 0);

    items[200] = "40000";
    try {
        loadCharWidths(items);
        ADD_FAILURE() << "an item out of 16 bits was accepted";
    } catch (const std::out_of_range& e) {
        EXPECT_NE(std::string(e.what()).find("200"), std::string::npos) << e.what();
    }
    EXPECT_THROW(loadCharWidths(std::vector<std::string>(255, "1")), std::invalid_argument);
}

TEST(LineSettings, StartValuesAndPresets)
{
    LineSettings s;
    EXPECT_EQ(s.lineLimit, 160);
    EXPECT_TRUE(s.measureInPixels);

    const auto& p = presets();
    EXPECT_EQ(p[0].itemText, "Folivane on TI89 (160pixels)");
    EXPECT_EQ(p[1].itemText, "Folivane on TI92+ (240pixels)");
    EXPECT_EQ(p[2].itemText, "Text Editor on TI89  (23chars)");
    EXPECT_EQ(p[3].itemText, "Text Editor on TI92+ (37chars)");
    EXPECT_EQ(p[4].itemText, "Custom (number of characters)");
    EXPECT_EQ(p[5].itemText, "Custom (number of pixels)");
    EXPECT_TRUE(p[4].custom && p[5].custom && !p[0].custom && !p[3].custom);

    const std::pair<bool, int> expected[] = {{true, 160}, {true, 240}, {false, 23}, {false, 37}};
    for (int i = 0; i < 4; ++i) {
        LineSettings t;
        t.lineLimit = 1;
        t.measureInPixels = !expected[i].first;
        applyPreset(i, t);
        EXPECT_EQ(t.measureInPixels, expected[i].first) << i;
        EXPECT_EQ(t.lineLimit, expected[i].second) << i;
    }
    // The custom presets and unknown indices keep the values in force.
    for (int i : {4, 5, -1, 6}) {
        LineSettings t;
        applyPreset(2, t);
        applyPreset(i, t);
        EXPECT_FALSE(t.measureInPixels) << i;
        EXPECT_EQ(t.lineLimit, 23) << i;
    }
}

TEST(LineSettings, CustomLengthRule)
{
    struct Case {
        const char* text;
        int limit;
    } cases[] = {{" 2 4 ", 24}, {"12.5", 12}, {"13.5", 14}, {"&H20", 32},
                 {"abc", 0},    {"", 0},      {"-5", -5},   {"-32768.5", -32768}};
    for (const Case& c : cases) {
        LineSettings s;
        EXPECT_FALSE(applyCustomLength(4, c.text, s)) << c.text;
        EXPECT_FALSE(s.measureInPixels) << c.text;
        EXPECT_EQ(s.lineLimit, c.limit) << c.text;

        LineSettings p;
        applyPreset(3, p);
        EXPECT_FALSE(applyCustomLength(5, c.text, p)) << c.text;
        EXPECT_TRUE(p.measureInPixels) << c.text;
        EXPECT_EQ(p.lineLimit, c.limit) << c.text;
    }
    // Fixed presets: the custom text is not read.
    LineSettings s;
    applyPreset(2, s);
    EXPECT_FALSE(applyCustomLength(2, "99", s));
    EXPECT_EQ(s.lineLimit, 23);
    EXPECT_FALSE(s.measureInPixels);
}

TEST(LineSettings, CustomValueOutsideSixteenBitsIsRefused)
{
    LineSettings s;
    applyPreset(3, s);
    Refusal r = applyCustomLength(5, "40000", s);
    EXPECT_TRUE(r);
    EXPECT_EQ(r.message, "Custom size 40000 is outside -32768 to 32767");
    EXPECT_FALSE(s.measureInPixels);  // untouched
    EXPECT_EQ(s.lineLimit, 37);

    r = applyCustomLength(4, "32767.5", s);
    EXPECT_EQ(r.message, "Custom size 32767.5 is outside -32768 to 32767");
    r = applyCustomLength(4, "-1e9", s);
    EXPECT_TRUE(r);
    EXPECT_NE(r.message.find("-1e+09"), std::string::npos) << r.message;
    r = applyCustomLength(4, "&H8000", s);
    EXPECT_EQ(r.message, "Custom size 32768 is outside -32768 to 32767");
    // A number beyond any value is named as typed.
    r = applyCustomLength(4, "  1e99999 ", s);
    EXPECT_EQ(r.message, "Custom size \"1e99999\" is outside -32768 to 32767");
    EXPECT_EQ(s.lineLimit, 37);
    EXPECT_FALSE(applyCustomLength(4, "32767", s));
    EXPECT_EQ(s.lineLimit, 32767);
}
