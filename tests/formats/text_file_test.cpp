#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "charset/charset.h"
#include "formats/rtf.h"
#include "formats/text_file.h"
#include "tests/formats/crlf_pairs.h"
#include "tests/formats/wide_text.h"

using tessaline::DecodedText;
using tessaline::decodeTextFile;

namespace {

// The codes of a file that is not RTF, worked out the plain way: the whole
// text decoded to code points at once, converted, then its line ends made CR
// LF. decodeTextFile takes shortcuts and must give the same.
DecodedText plainDecode(std::string_view bytes)
{
    using namespace tessaline::charset;
    DecodedText d;
    d.ok = true;
    if (auto unicode = tessaline::decodeWide(bytes)) {
        const Conversion conv = fromUnicode(*unicode);
        d.codes = normalizeLineEnds(conv.codes);
        d.replaced = conv.replaced;
        return d;
    }
    const bool bom = bytes.starts_with("\xEF\xBB\xBF");
    if (bom)
        bytes.remove_prefix(3);
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    if (bom || !ascii) {
        if (auto unicode = decodeUtf8(bytes, !bom)) {
            const Conversion conv = fromUnicode(*unicode);
            d.codes = normalizeLineEnds(conv.codes);
            d.replaced = conv.replaced;
            return d;
        }
    }
    d.codes = normalizeLineEnds(bytes);
    return d;
}

// The file read a piece at a time, the pieces joined; each piece but the
// last must end a line.
DecodedText readInPieces(std::string_view bytes, std::size_t pieceBytes)
{
    tessaline::TextFileReader reader(bytes, pieceBytes);
    DecodedText d;
    d.ok = reader.ok();
    std::string piece;
    bool last = false;
    while (reader.next(piece)) {
        EXPECT_FALSE(last) << "a piece after one that does not end a line, pieces of " << pieceBytes;
        last = !piece.ends_with("\r\n");
        d.codes += piece;
        piece.clear();
    }
    d.replaced = reader.replaced();
    return d;
}

// The file read twice as a reader of a large file reads it: cut into pieces
// of `step`, `step` + 1, ... bytes, the second reading cut differently.
DecodedText readTwiceInPieces(std::string_view bytes, std::size_t step)
{
    auto inPieces = [&](std::size_t first, auto&& take) {
        std::size_t length = first;
        for (std::size_t at = 0; at < bytes.size(); at += length, length = length % 9 + 1)
            take(bytes.substr(at, length));
    };
    tessaline::PlainTextFile file;
    inPieces(step, [&](std::string_view piece) { file.check(piece); });
    DecodedText d;
    d.ok = true;
    inPieces(step + 4, [&](std::string_view piece) { file.decode(piece, d.codes); });
    file.finish({}, d.codes);
    d.replaced = file.replaced();
    return d;
}

void expectPlainDecoding(const std::string& bytes)
{
    const DecodedText want = plainDecode(bytes);
    const DecodedText got = decodeTextFile(bytes);
    ASSERT_TRUE(got.ok);
    EXPECT_TRUE(got.codes == want.codes) << "codes differ for " << testing::PrintToString(bytes.substr(0, 200)) << " ("
                                         << bytes.size() << " bytes)";
    EXPECT_EQ(got.replaced, want.replaced) << testing::PrintToString(bytes.substr(0, 200));
    EXPECT_TRUE(tessaline::onlyCrLfPairs(got.codes));
    for (std::size_t pieceBytes : {1, 5, 64}) {
        const DecodedText pieces = readInPieces(bytes, pieceBytes);
        EXPECT_TRUE(pieces.codes == want.codes)
            << "pieces of " << pieceBytes << " differ for " << testing::PrintToString(bytes.substr(0, 200));
        EXPECT_EQ(pieces.replaced, want.replaced) << "pieces of " << pieceBytes;
    }
    if (tessaline::PlainTextFile::startsPlainText(std::string_view(bytes).substr(0, 8))) {
        for (std::size_t step : {1, 3}) {
            const DecodedText twice = readTwiceInPieces(bytes, step);
            EXPECT_TRUE(twice.codes == want.codes)
                << "read twice in pieces from " << step << ": " << testing::PrintToString(bytes.substr(0, 200));
            EXPECT_EQ(twice.replaced, want.replaced) << "read twice in pieces from " << step;
        }
    }
}

}  // namespace

TEST(TextFile, RichTextIsReadAsRichText)
{
    auto d = decodeTextFile("{\\rtf1 Hello\\par \\u8220\\'93x\\u8221\\'94}");
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.codes, "Hello\r\n\"x\"");
    EXPECT_EQ(d.replaced, 2u);

    const std::string saved = tessaline::rtf::write("a\r\n\x8C\tb\r\n", 12.0);
    d = decodeTextFile(saved);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.codes, "a\r\n\x8C\tb\r\n");
    EXPECT_EQ(d.replaced, 0u);

    // Not at the very start: not rich text, just characters.
    d = decodeTextFile(" {\\rtf1 x}");
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.codes, " {\\rtf1 x}");
}

TEST(TextFile, Utf8AndCalculatorCodes)
{
    // Valid UTF-8 with non-ASCII characters is decoded and mapped.
    auto d = decodeTextFile("caf\xC3\xA9 \xCF\x80 \xE2\x80\x9Cq\xE2\x80\x9D\n\xE2\x82\xAC");
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.codes, "caf\xE9 \x8C \"q\"\r\nEUR");
    EXPECT_EQ(d.replaced, 3u);

    // A byte-order mark is dropped, with or without other non-ASCII text.
    d = decodeTextFile("\xEF\xBB\xBFplain\r\n");
    EXPECT_EQ(d.codes, "plain\r\n");
    d = decodeTextFile("\xEF\xBB\xBF\xC3\xA9");
    EXPECT_EQ(d.codes, "\xE9");
    // After a byte-order mark a broken sequence is one replaced character.
    d = decodeTextFile("\xEF\xBB\xBF\xC3\xA9\xFFz");
    EXPECT_EQ(d.codes, "\xE9?z");
    EXPECT_EQ(d.replaced, 1u);

    // Anything else is the calculator's own codes, byte for byte.
    d = decodeTextFile(std::string("\x8C\xE9\x00\x7F x", 6));
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.codes, std::string("\x8C\xE9\x00\x7F x", 6));
    EXPECT_EQ(d.replaced, 0u);
    d = decodeTextFile("caf\xC3");  // broken UTF-8 without a mark
    EXPECT_EQ(d.codes, "caf\xC3");

    EXPECT_TRUE(decodeTextFile("").ok);
    EXPECT_EQ(decodeTextFile("").codes, "");
}

TEST(TextFile, EveryLineEndBecomesCrLf)
{
    EXPECT_EQ(decodeTextFile("a\nb\rc\r\nd\n\n").codes, "a\r\nb\r\nc\r\nd\r\n\r\n");
    EXPECT_EQ(decodeTextFile("\xC3\xA9\ra\xE2\x80\xA8"
                             "b\n")
                  .codes,
              "\xE9\r\na\r\nb\r\n");
    EXPECT_EQ(decodeTextFile("\xE9\rx\n").codes, "\xE9\r\nx\r\n");
    EXPECT_EQ(decodeTextFile("{\\rtf1 a\\'0db\\uc0\\u10 c\\line}").codes, "a\r\nb\r\nc\r\n");
}

TEST(TextFile, ShortcutsGiveTheCodesOfThePlainConversion)
{
    // Pieces that meet in every order and at every offset within eight
    // bytes: characters with a code of their own and without, spellings of
    // two code points (x and y with an overline or macron, decomposed
    // letters), combining marks after ASCII, after other letters and alone,
    // line ends of every kind next to line separators and to characters that
    // become nothing, control bytes, broken and overlong sequences.
    const char* const pieces[] = {
        "a",
        "word ",
        "\xC3\xA9",
        "\xCE\xB1",
        "\xCF\x80",
        "\xE2\x86\x92",
        "\xE2\x80\x9C",
        "\xF0\x9F\x98\x80",
        "\xE4\xB8\xAD",
        "x\xCC\x85",
        "y\xCC\x84",
        "e\xCC\x81",
        "\xC3\xA9\xCC\x81",
        "\xCC\x81",
        "\xCD\xAF",
        "\r",
        "\n",
        "\r\n",
        "\xE2\x80\xA8",
        "\xE2\x80\xA9",
        "\xE2\x80\x8B",
        "\t",
        "\x0B",
        "\x7F",
        "\x01",
        "\xC0\xAF",
        "\xED\xA0\x80",
        "\xE2\x82",
        "\xFF",
        "\xF4\x90\x80\x80",
        "\xF8\x88\x80\x80\x80",
        "12345678",
    };
    constexpr int kPieces = sizeof pieces / sizeof pieces[0];
    constexpr int kBroken = 25;  // pieces from here on are not UTF-8
    std::mt19937 rng(10);
    std::uniform_int_distribution<int> pick(0, kPieces - 1);
    std::uniform_int_distribution<int> length(0, 40);
    for (int round = 0; round < 1000; ++round) {
        std::string text;
        const bool broken = round % 3 == 0;
        for (int n = length(rng); n > 0; --n) {
            int k = pick(rng);
            if (!broken && k >= kBroken)
                k %= kBroken;
            text += pieces[k];
        }
        expectPlainDecoding(text);
        expectPlainDecoding("\xEF\xBB\xBF" + text);
    }

    // Whole texts of one kind, and the ends of the text.
    expectPlainDecoding("\xEF\xBB\xBF");
    expectPlainDecoding(
        "\xEF\xBB\xBF"
        "ascii\x0B\r");
    expectPlainDecoding(std::string(100, 'a') + "\xC3");
    expectPlainDecoding(std::string(100, 'a') + "\xC3\xA9");
    expectPlainDecoding("12345678x\xCC\x85");
    expectPlainDecoding("1234567x\xCC\x85");
    expectPlainDecoding("\r\xE2\x80\x8B\n\xC3\xA9");  // CR, a character that becomes nothing, LF
}

TEST(TextFile, LongStretchesWithoutAnOwnCode)
{
    // Long runs of characters that all go through the full conversion are
    // converted in pieces; no spelling may be cut in two where a piece ends.
    std::string marks;
    while (marks.size() < 200000)
        marks += "x\xCC\x85\xCC\x81\xE4\xB8\xAD\xCC\x84y\xCC\x85";
    expectPlainDecoding(marks);
    expectPlainDecoding("\xEF\xBB\xBF" + marks + "\xFF" + marks);
    std::string arrows;
    while (arrows.size() < 150000)
        arrows += "\xE2\x86\x92\xE2\x80\xA8";
    expectPlainDecoding(arrows + "\r" + arrows);
    expectPlainDecoding(arrows + "\xE2\x82");  // not UTF-8 at the very end: codes after all
}

TEST(TextFile, Utf16AndUtf32FilesWithAByteOrderMark)
{
    using tessaline::wideFile;
    using tessaline::WideForm;
    for (const WideForm form : {WideForm::Utf16Le, WideForm::Utf16Be, WideForm::Utf32Le, WideForm::Utf32Be}) {
        SCOPED_TRACE(static_cast<int>(form));
        // Plain letters: no NUL between them.
        DecodedText d = decodeTextFile(wideFile(U"Hello", form));
        EXPECT_TRUE(d.ok);
        EXPECT_EQ(d.codes, "Hello");
        EXPECT_EQ(d.replaced, 0u);

        // Mapped like UTF-8 text: codes of their own, two code points as one
        // code, transliterations and characters beyond the Basic Multilingual
        // Plane replaced, every line end CR LF.
        d = decodeTextFile(wideFile(U"caf\u00E9 \u03C0 x\u0305\r\n\u201Cq\u201D\nb\rc\u2028\U0001F600\t\u007F", form));
        EXPECT_EQ(d.codes, "caf\xE9 \x8C \x9A\r\n\"q\"\r\nb\r\nc\r\n?\t?");
        EXPECT_EQ(d.replaced, 4u);

        EXPECT_EQ(decodeTextFile(wideFile(U"", form)).codes, "");
        // A text that looks like RTF is not RTF in these encodings.
        EXPECT_EQ(decodeTextFile(wideFile(U"{\\rtf1 x}", form)).codes, "{\\rtf1 x}");
    }
}

TEST(TextFile, BrokenUtf16AndUtf32AreReplacedCharacters)
{
    auto expectRead = [](const std::string& bytes, const std::string& codes, std::size_t replaced) {
        const DecodedText d = decodeTextFile(bytes);
        EXPECT_TRUE(d.ok);
        EXPECT_EQ(d.codes, codes) << testing::PrintToString(bytes);
        EXPECT_EQ(d.replaced, replaced) << testing::PrintToString(bytes);
    };
    using namespace std::string_literals;
    // UTF-16: a high surrogate before a letter, at the end, a low surrogate
    // alone, two highs in a row before a low (the second pairs), an odd byte.
    expectRead(
        "\xFF\xFE"
        "\x00\xD8"
        "a\0"s,
        "?a", 1);
    expectRead(
        "\xFE\xFF"
        "\0a"
        "\xD8\x00"s,
        "a?", 1);
    expectRead(
        "\xFF\xFE"
        "\x00\xDC"
        "\x00\xDC"s,
        "??", 2);
    expectRead(
        "\xFE\xFF"
        "\xD8\x3D\xD8\x3D\xDE\x00"s,
        "??", 2);
    expectRead(
        "\xFF\xFE"
        "a\0b"s,
        "a?", 1);
    expectRead(
        "\xFE\xFF"
        "\xD8\x3D"
        "\xDE"s,
        "??", 2);
    expectRead("\xFF\xFE", "", 0);
    expectRead(
        "\xFE\xFF"
        "\0"s,
        "?", 1);
    // UTF-32: a value beyond U+10FFFF, a surrogate, one to three bytes left over.
    expectRead(
        "\0\0\xFE\xFF"
        "\0\x11\0\0"
        "\0\0\0a"s,
        "?a", 1);
    expectRead(
        "\xFF\xFE\0\0"
        "a\0\0\0"
        "\x00\xD8\0\0"
        "\xFF\xFF\xFF\xFF"s,
        "a??", 2);
    for (std::size_t left = 1; left <= 3; ++left)
        expectRead(
            "\xFF\xFE\0\0"
            "b\0\0\0"s
                + std::string(left, '\0'),
            "b?", 1);
    // "FF FE 00 00" is the UTF-32 mark, not UTF-16 starting with U+0000.
    expectRead(
        "\xFF\xFE\0\0"
        "c\0\0\0"s,
        "c", 0);
}

TEST(TextFile, Utf16AndUtf32GiveTheCodesOfThePlainConversion)
{
    using tessaline::wideFile;
    using tessaline::WideForm;
    const char32_t* const pieces[] = {
        U"a",       U"word ",   U"\u00E9",  U"\u03C0", U"\u2192", U"\u201C", U"\U0001F600", U"\u4E2D",
        U"x\u0305", U"y\u0304", U"e\u0301", U"\u0301", U"\r",     U"\n",     U"\r\n",       U"\u2028",
        U"\u200B",  U"\t",      U"\u000B",  U"\u007F", U"\u0000", U"\uFEFF", U"\uFFFD",
    };
    constexpr int kPieces = sizeof pieces / sizeof pieces[0];
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> pick(0, kPieces - 1);
    std::uniform_int_distribution<int> length(0, 30);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 300; ++round) {
        std::u32string text;
        for (int n = length(rng); n > 0; --n)
            text += pieces[pick(rng)];
        for (const WideForm form : {WideForm::Utf16Le, WideForm::Utf16Be, WideForm::Utf32Le, WideForm::Utf32Be}) {
            std::string bytes = wideFile(text, form);
            expectPlainDecoding(bytes);
            // Any bytes at all behind the mark.
            for (int n = length(rng) % 8; n > 0; --n) {
                const std::size_t after = std::min<std::size_t>(4, bytes.size());
                bytes.insert(bytes.begin() + after + rng() % (bytes.size() - after + 1), static_cast<char>(byte(rng)));
            }
            expectPlainDecoding(bytes);
        }
    }

    // Texts far longer than a piece converted at once: no spelling of two
    // code points is cut where a piece ends, at whatever place in the
    // pattern a piece would end.
    std::u32string marks;
    while (marks.size() < 140000)
        marks += U"x\u0305e\u0301\u4E2D\u0304\U0001F600";
    for (std::size_t shift = 0; shift < 7; ++shift) {
        const std::u32string text = std::u32string(shift, U'a') + marks;
        expectPlainDecoding(wideFile(text, shift % 2 ? WideForm::Utf16Le : WideForm::Utf32Be));
    }
}

TEST(TextFile, DeleteCharacterOfUnicodeTextIsReplaced)
{
    // U+007F has no code: a "?" wherever the file is Unicode text.
    for (const std::string bytes : {"\xC3\xA9\x7F",
                                    "\xC3\xA9 abc\x7F"
                                    "defghijklmnop",
                                    "\xEF\xBB\xBF"
                                    "a\x7F"
                                    "b",
                                    "\xEF\xBB\xBF"
                                    "abcdefg\x7F"
                                    "hijklmnop"}) {
        const DecodedText d = decodeTextFile(bytes);
        EXPECT_EQ(std::count(d.codes.begin(), d.codes.end(), '?'), 1) << testing::PrintToString(bytes);
        EXPECT_EQ(d.codes.find('\x7F'), std::string::npos) << testing::PrintToString(bytes);
        EXPECT_EQ(d.replaced, 1u) << testing::PrintToString(bytes);
    }
    const DecodedText wide = decodeTextFile(tessaline::wideFile(U"a\u007Fb", tessaline::WideForm::Utf16Le));
    EXPECT_EQ(wide.codes, "a?b");
    EXPECT_EQ(wide.replaced, 1u);
    // A file that is not Unicode text holds codes: 127 is the code itself.
    EXPECT_EQ(decodeTextFile("a\x7F"
                             "b")
                  .codes,
              "a\x7F"
              "b");
}
