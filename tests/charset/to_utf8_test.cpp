#include <gtest/gtest.h>

#include <random>
#include <string>

#include "charset/byte_words.h"
#include "charset/charset.h"

using namespace tessaline::charset;

namespace {

// The UTF-8 of each code's shown form, put together one character at a
// time: an independent copy of what the table-driven writer must give.
std::string slowUtf8(std::string_view codes) { return encodeUtf8(toUnicode(codes)); }

}  // namespace

TEST(ToUtf8, EveryCodeAtEveryPlaceOfAnEightByteStep)
{
    for (int code = 0; code < 256; ++code) {
        for (std::size_t at = 0; at < 17; ++at) {
            std::string codes(24, 'a');
            codes[at] = static_cast<char>(code);
            ASSERT_EQ(toUtf8(codes), slowUtf8(codes)) << code << " at " << at;
        }
        const std::string alone(1, static_cast<char>(code));
        ASSERT_EQ(toUtf8(alone), slowUtf8(alone)) << code;
    }
}

TEST(ToUtf8, LongTextsOfMixedCodesAcrossTheWritersBlocks)
{
    std::mt19937 random(19);
    for (std::size_t size :
         {std::size_t{7}, std::size_t{4095}, std::size_t{4096}, std::size_t{4097}, std::size_t{100000}}) {
        for (int nonAsciiPercent : {0, 2, 50, 100}) {
            std::string codes(size, ' ');
            for (char& c : codes) {
                const bool other = static_cast<int>(random() % 100) < nonAsciiPercent;
                c = static_cast<char>(other ? random() % 256 : 0x20 + random() % 95);
            }
            ASSERT_EQ(toUtf8(codes), slowUtf8(codes)) << size << " " << nonAsciiPercent;
        }
    }
}

TEST(ToUtf8, AppendsAfterWhatTheStringHolds)
{
    std::string out = "kept";
    appendToUtf8("\x80 and \xFF", out);
    appendToUtf8("", out);
    EXPECT_EQ(out, "kept" + slowUtf8("\x80 and \xFF"));
    EXPECT_GT(out.size(), std::string("kept\x80 and \xFF").size());
}

TEST(ToUtf8, RoomKeptFromPieceToPieceHoldsOnlyTheLastPiece)
{
    std::string room;
    const std::string longPiece(70000, '\xFF');
    EXPECT_EQ(toUtf8(longPiece, room), slowUtf8(longPiece));
    const std::size_t kept = room.size();
    EXPECT_EQ(toUtf8("short \x80", room), slowUtf8("short \x80"));
    EXPECT_EQ(toUtf8("", room), "");
    EXPECT_EQ(room.size(), kept);  // the room stays, for the next long piece
}

TEST(ToUtf8, TheWordTestFindsTheFirstCodeThatIsNotItsOwnUtf8)
{
    // The word test of machines without SSE2, against each byte on its own.
    auto own = [](unsigned char b) { return (b >= 0x20 && b < 0x7F) || b == '\t' || b == '\n' || b == '\r'; };
    std::mt19937 random(64);
    const unsigned char kEdges[] = {0x00, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x1F,
                                    0x20, 0x7E, 0x7F, 0x80, 0x89, 0x8A, 0x8D, 0xFF, 'a'};
    for (int i = 0; i < 20000; ++i) {
        unsigned char bytes[8];
        for (unsigned char& b : bytes)
            b = random() % 6 == 0 ? kEdges[random() % sizeof kEdges] : static_cast<unsigned char>('a' + random() % 26);
        std::size_t expected = 0;
        while (expected < 8 && own(bytes[expected]))
            ++expected;
        ASSERT_EQ(tessaline::internal::ownUtf8Prefix(bytes), expected) << i;
    }
}
