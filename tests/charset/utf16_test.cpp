#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "charset/charset.h"
#include "charset/iconv_conversion.h"
#include "charset/utf16.h"

using namespace tessaline::charset;
using tessaline::internal::IconvConversion;

namespace {

// The characters at the edges of the planes and of the surrogate range.
const std::vector<char32_t> kEdges = {0x0,     0x7F,    0xD7FF,  0xE000,  0xFFFD,   0xFFFF,   0x10000,  0x10001,
                                      0x103FF, 0x10400, 0x1F600, 0xFFFFF, 0x100000, 0x10FC00, 0x10FFFE, 0x10FFFF};

std::u16string unitsOf(char32_t c)
{
    std::u16string units;
    utf16::append(c, units);
    return units;
}

std::u32string read(std::u16string_view units)
{
    std::u32string out;
    auto emit = [&](char32_t c) { out.push_back(c); };
    utf16::UnitReader reader;
    for (char16_t unit : units)
        reader.take(unit, emit);
    reader.finish(emit);
    return out;
}

}  // namespace

TEST(Utf16, CharactersAtTheLimitsAreWrittenAsTheSystemWritesThem)
{
    // iconv is an independent copy of the arithmetic.
    IconvConversion toUtf16("UTF-16LE", "UTF-32LE");
    ASSERT_TRUE(toUtf16.isOpen());
    for (char32_t c : kEdges) {
        const char in[4] = {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF),
                            static_cast<char>((c >> 16) & 0xFF), static_cast<char>(c >> 24)};
        const std::optional<std::string> expected = toUtf16.convert(std::string_view(in, 4));
        ASSERT_TRUE(expected.has_value()) << std::hex << static_cast<unsigned>(c);
        std::u16string units;
        for (std::size_t i = 0; i + 1 < expected->size(); i += 2)
            units.push_back(static_cast<char16_t>(static_cast<unsigned char>((*expected)[i])
                                                  | static_cast<unsigned char>((*expected)[i + 1]) << 8));
        EXPECT_EQ(unitsOf(c), units) << std::hex << static_cast<unsigned>(c);
        EXPECT_EQ(utf16::unitCount(c), units.size()) << std::hex << static_cast<unsigned>(c);
        EXPECT_EQ(read(units), std::u32string(1, c)) << std::hex << static_cast<unsigned>(c);
    }
}

TEST(Utf16, SurrogateRangesEndWhereUnicodeEndsThem)
{
    EXPECT_FALSE(utf16::isSurrogate(0xD7FF));
    EXPECT_TRUE(utf16::isHighSurrogate(0xD800));
    EXPECT_TRUE(utf16::isHighSurrogate(0xDBFF));
    EXPECT_FALSE(utf16::isLowSurrogate(0xDBFF));
    EXPECT_TRUE(utf16::isLowSurrogate(0xDC00));
    EXPECT_TRUE(utf16::isLowSurrogate(0xDFFF));
    EXPECT_FALSE(utf16::isSurrogate(0xE000));
    EXPECT_TRUE(utf16::isScalarValue(0x10FFFF));
    EXPECT_FALSE(utf16::isScalarValue(0x110000));
    EXPECT_FALSE(utf16::isScalarValue(0xDFFF));
}

TEST(Utf16, HalvesWithoutTheirOtherHalfAreReplacementCharacters)
{
    constexpr char32_t kR = utf16::kReplacementCharacter;
    EXPECT_EQ(read(u"\xD800"
                   u"a"),
              (std::u32string{kR, U'a'}));
    EXPECT_EQ(read(u"a\xDC00"), (std::u32string{U'a', kR}));
    EXPECT_EQ(read(u"\xDFFF\xD800"), (std::u32string{kR, kR}));  // the wrong order
    // After a lone high half, the next unit is read afresh and may begin a pair.
    EXPECT_EQ(read(u"\xD800\xDBFF\xDFFF"), (std::u32string{kR, 0x10FFFF}));
    EXPECT_EQ(read(u"\xDBFF"), std::u32string(1, kR));  // at the end

    utf16::UnitReader reader;
    std::u32string out;
    reader.take(0xD83D, [&](char32_t c) { out.push_back(c); });
    EXPECT_TRUE(reader.holdsHalf());
    EXPECT_TRUE(out.empty());
}

TEST(Utf16, LoneHalvesFromQtTextAreCountedAsReplaced)
{
    const Conversion pair = fromUtf16(u"x\xD83D\xDE00y");  // U+1F600, which has no code
    EXPECT_EQ(pair.codes.size(), 3u);
    EXPECT_EQ(pair.replaced, 1u);
    const Conversion lone = fromUtf16(u"x\xD83Dy\xDE00");
    EXPECT_EQ(lone.codes, "x?y?");
    EXPECT_EQ(lone.replaced, 2u);
}
