// tessaline-process end to end: arguments, exit status, messages, output bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "charset/charset.h"
#include "engine/char_widths.h"
#include "engine/line_break_pass.h"
#include "engine/line_settings.h"
#include "formats/rtf.h"
#include "formats/text_file.h"
#include "tests/cli/cli_run.h"

namespace fs = std::filesystem;
using namespace tessaline;

using namespace clitest;

TEST_F(Cli, WorkedExamplesWithCustomLengthTen)
{
    struct Row {
        std::string text;
        bool wrap;
        std::string result;
        int mods;
    } rows[] = {
        {"abcd efgh ijkl", true, "abcd efgh\r\nijkl\r\n", 3},
        {"abcd efgh ijkl", false, "abcd efgh \r\nijkl\r\n", 2},
        {"abcdefghijklmn", true, "abcdefghij\r\nklmn\r\n", 2},
        {"abcdefghij", true, "abcdefghij\r\n", 1},
        {"abcdefghij", false, "abcdefghij\r\n", 1},
        {"abc\r\nabcdefghij", true, "abc\r\nabcdefghi\r\nj\r\n", 2},
        {" abcdefghijk", true, " abcdefghi\r\njk\r\n", 2},
        {"abcdefghi  kl", true, "abcdefghi \r\nkl\r\n", 3},
    };
    for (const Row& row : rows) {
        Outcome o = run(std::string("--raw --preset 4 --custom 10") + (row.wrap ? "" : " --no-wrap"), row.text);
        EXPECT_EQ(o.status, 0) << row.text;
        EXPECT_EQ(o.out, row.result) << row.text;
        EXPECT_EQ(o.err, summary(row.result.size(), row.mods)) << row.text;
    }
    // The pixel example through the custom pixel preset and through --custom=.
    Outcome p = run("--raw --preset 5 --custom=30", "aaaa aaaa aaaa");
    EXPECT_EQ(p.out, "aaaa\r\naaaa\r\naaaa\r\n");
    EXPECT_EQ(p.err, summary(18, 5));
    p = run("--raw --preset=5 --custom ' 3 0 ' --no-wrap", "aaaa aaaa aaaa");
    EXPECT_EQ(p.out, "aaaa aaa\r\na aaaa\r\n");
    EXPECT_EQ(p.err, summary(18, 2));
}

TEST_F(Cli, PresetsAndInputs)
{
    const fs::path sample = fs::path(__FILE__).parent_path().parent_path().parent_path() / "samples" / "sample.txt";
    const std::string bytes = readFile(sample);
    ASSERT_FALSE(bytes.empty()) << sample;

    for (int preset = 0; preset < 4; ++preset) {
        LineSettings s;
        s.charWidths = defaultCharWidths();
        applyPreset(preset, s);
        PassResult want = runLineBreakPass(decodeTextFile(bytes).codes, s, true);
        Outcome o = run("--preset " + std::to_string(preset) + " " + quoted(sample));
        EXPECT_EQ(o.status, 0) << preset;
        EXPECT_EQ(o.out, want.text) << preset;
        EXPECT_NE(o.err.find(summary(want.text.size(), want.modificationCount)), std::string::npos) << o.err;
        EXPECT_GT(want.modificationCount, 3) << preset;
    }
    // TI-92+ Text Editor: no line over 37 characters, CR LF line ends.
    Outcome o = run("--preset 3 -", bytes);
    EXPECT_EQ(o.status, 0);
    std::size_t start = 0;
    while (start < o.out.size()) {
        std::size_t end = o.out.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_LE(end - start, 37u) << o.out.substr(start, end - start);
        start = end + 2;
    }
    EXPECT_NE(o.out.find("_TIL The Lighthouse Keeper\r\n"), std::string::npos);
    // Without --raw, line ends become CR LF before the pass: LF and CR LF input agree.
    Outcome lf = run("--preset 2", "one two\nthree\n");
    Outcome crlf = run("--preset 2", "one two\r\nthree\r\n");
    EXPECT_EQ(lf.out, "one two\r\nthree\r\n");
    EXPECT_EQ(lf.out, crlf.out);
    EXPECT_EQ(lf.err, summary(16, 0));
    // Rich text is read as rich text.
    Outcome rich = run("--preset 2", "{\\rtf1\\ansi one two\\par three}");
    EXPECT_EQ(rich.status, 0);
    EXPECT_EQ(rich.out, lf.out);
    // With --raw a lone LF stays and the closing break follows it.
    Outcome raw = run("--raw --preset 2", "one two\nthree\n");
    EXPECT_EQ(raw.out, "one two\nthree\n\r\n");
    // An empty input gives an empty output.
    Outcome empty = run("");
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.err, summary(0, 0));
}

TEST_F(Cli, RawKeepsEveryByte)
{
    std::string all;
    for (int code = 0; code < 256; ++code) {
        all.push_back(static_cast<char>(code));
    }
    // A limit wide enough for the whole text: only the closing break is added.
    Outcome o = run("--raw --preset 5 --custom 32767", all);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, all + "\r\n");
    EXPECT_EQ(o.err, summary(258, 1));

    // Random bytes with breaks: the same bytes as the pass run in-process.
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        text.push_back(static_cast<char>(byte(rng)));
    }
    for (bool wrap : {true, false}) {
        LineSettings s;
        s.charWidths = defaultCharWidths();
        applyPreset(0, s);
        PassResult want = runLineBreakPass(text, s, wrap);
        Outcome r = run(std::string("--raw") + (wrap ? "" : " --no-wrap"), text);
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(r.out == want.text) << "output differs, wrap " << wrap;
        EXPECT_EQ(r.err, summary(want.text.size(), want.modificationCount));
    }
}

TEST_F(Cli, OutputFormats)
{
    const std::string text = "Caf\xE9 \xAE au lait, \x8C \x8D and more words to break";
    LineSettings s;
    s.charWidths = defaultCharWidths();
    applyPreset(2, s);
    PassResult want = runLineBreakPass(text, s, true);

    Outcome utf8 = run("--raw --preset 2 --format utf8", text);
    EXPECT_EQ(utf8.status, 0);
    EXPECT_EQ(utf8.out, charset::toUtf8(want.text));
    // The counts are those of the calculator text, not of its UTF-8 bytes.
    EXPECT_EQ(utf8.err, summary(want.text.size(), want.modificationCount));

    Outcome rtfOut = run("--raw --preset 2 --format=rtf", text);
    EXPECT_EQ(rtfOut.status, 0);
    EXPECT_EQ(rtfOut.out, rtf::write(want.text, 9.0));

    Outcome plain = run("--raw --preset 2 --format text", text);
    EXPECT_EQ(plain.out, want.text);

    // Decoding: whatever the reader replaces is reported on a line of its own.
    const std::string unicode = "snow \xE2\x98\x83 and \xE6\x97\xA5 here";
    DecodedText decoded = decodeTextFile(unicode);
    Outcome d = run("--preset 2", unicode);
    EXPECT_EQ(d.status, 0);
    PassResult dw = runLineBreakPass(decoded.codes, s, true);
    EXPECT_EQ(d.out, dw.text);
    std::string expectedErr = summary(dw.text.size(), dw.modificationCount);
    if (decoded.replaced > 0) {
        expectedErr =
            std::to_string(decoded.replaced) + " characters had no calculator code and were replaced\n" + expectedErr;
    }
    EXPECT_EQ(d.err, expectedErr);

    // One replaced character is told in the singular.
    Outcome one = run("--preset 2", "snow \xE2\x98\x83");
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.err.substr(0, one.err.find('\n') + 1), "1 character had no calculator code and was replaced\n");
}

TEST_F(Cli, UsageAndRefusals)
{
    Outcome help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: tessaline-process"), std::string::npos);
    EXPECT_NE(help.out.find("--no-wrap"), std::string::npos);

    for (const char* bad : {"--preset 6", "--preset", "--preset x", "--format html", "--bogus", "-o", "a b", "--custom",
                            "--output=", "--output", "-o ''"}) {
        Outcome o = run(bad, "text");
        EXPECT_EQ(o.status, 1) << bad;
        EXPECT_EQ(o.out, "") << bad;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << bad << ": " << o.err;
    }
    Outcome missing = run(quoted(dir_ / "no such file"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no such file"), std::string::npos) << missing.err;
    Outcome folder = run(quoted(dir_));
    EXPECT_EQ(folder.status, 1);

    Outcome big = run("--preset 4 --custom 40000", "text");
    EXPECT_EQ(big.status, 2);
    EXPECT_EQ(big.err, "tessaline-process: Custom size 40000 is outside -32768 to 32767\n");
    EXPECT_EQ(big.out, "");

    Outcome zero = run("--preset 4 --custom 0", "text");
    EXPECT_EQ(zero.status, 2);
    EXPECT_EQ(zero.err, "tessaline-process: Line length 0 characters admits no character\n");

    // A refusal is the only line, also when the input had characters replaced
    // (the note on them belongs to a run that takes place).
    Outcome zeroReplaced = run("--preset 4 --custom 0", "\xE4\xB8\x80 text");
    EXPECT_EQ(zeroReplaced.status, 2);
    EXPECT_EQ(zeroReplaced.err, "tessaline-process: Line length 0 characters admits no character\n");

    Outcome narrow = run("--raw --preset 5 --custom 7", "ab\xAE");
    EXPECT_EQ(narrow.status, 2);
    EXPECT_EQ(
        narrow.err,
        "tessaline-process: Line length 7 pixels is too short for character \"\u00AE\" (code 174, 8 pixels wide)\n");
    // The custom size belongs to presets 4 and 5, and they need it.
    Outcome fixed = run("--preset 2 --custom 40000", "text");
    EXPECT_EQ(fixed.status, 1);
    EXPECT_EQ(fixed.err, "tessaline-process: --custom is for presets 4 and 5, not for preset 2\n");
    EXPECT_EQ(run("--custom 10", "text").status, 1);
    for (const char* preset : {"4", "5"}) {
        Outcome none = run(std::string("--preset ") + preset, "text");
        EXPECT_EQ(none.status, 1) << preset;
        EXPECT_EQ(none.err,
                  std::string("tessaline-process: --preset ") + preset + " needs the custom size: --custom VALUE\n");
        EXPECT_EQ(none.out, "");
    }
    EXPECT_EQ(run("--help --custom 10").status, 0);
    // A limit of 8 pixels admits the widest character.
    EXPECT_EQ(run("--raw --preset 5 --custom 8", "ab\xAE").status, 0);
}

TEST_F(Cli, OutputFileIsReplacedWhole)
{
    const fs::path target = dir_ / "out" / "processed.txt";
    fs::create_directory(dir_ / "out");
    Outcome o = run("--raw --preset 4 --custom 10 -o " + quoted(target), "abcd efgh ijkl");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(readFile(target), "abcd efgh\r\nijkl\r\n");
    EXPECT_EQ(listing(dir_ / "out"), std::vector<std::string>{"processed.txt"});

    // An existing file is replaced; a failed or refused run leaves it alone.
    o = run("--raw --preset 4 --custom 10 --output=" + quoted(target), "abcdefghij");
    EXPECT_EQ(readFile(target), "abcdefghij\r\n");
    o = run("--raw --preset 4 --custom 0 -o " + quoted(target), "other");
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(readFile(target), "abcdefghij\r\n");
    o = run("-o " + quoted(target) + " " + quoted(dir_ / "absent"));
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(readFile(target), "abcdefghij\r\n");
    EXPECT_EQ(listing(dir_ / "out"), std::vector<std::string>{"processed.txt"});

    // A folder that does not exist: exit 1, nothing written.
    o = run("-o " + quoted(dir_ / "missing" / "x.txt"), "text");
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("missing"), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(dir_ / "missing"));

    // The name of a folder is refused; nothing is written.
    fs::create_directory(dir_ / "out" / "taken");
    o = run("-o " + quoted(dir_ / "out" / "taken"), "text");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(listing(dir_ / "out"), (std::vector<std::string>{"processed.txt", "taken"}));
    EXPECT_TRUE(fs::is_empty(dir_ / "out" / "taken"));

    // A folder without write permission (only meaningful when not root).
    if (geteuid() != 0) {
        const fs::path locked = dir_ / "locked";
        fs::create_directory(locked);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        o = run("-o " + quoted(locked / "x.txt"), "text");
        EXPECT_EQ(o.status, 1);
        fs::permissions(locked, fs::perms::owner_all);
        EXPECT_TRUE(fs::is_empty(locked));
    }

    // The input file itself as the output: read whole, then replaced.
    const fs::path same = dir_ / "same.txt";
    writeFile(same, "abcd efgh ijkl");
    o = run("--raw --preset 4 --custom 10 -o " + quoted(same) + " " + quoted(same));
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(readFile(same), "abcd efgh\r\nijkl\r\n");

    // Standard output that cannot take the text.
    if (fs::exists("/dev/full")) {
        Outcome full = run("--raw", "text", "/dev/full");
        EXPECT_EQ(full.status, 1);
        EXPECT_NE(full.err.find("standard output"), std::string::npos) << full.err;
    }
}

TEST_F(Cli, NamedFilesAreReadAsStandardInputIs)
{
    // Files at the edges of telling one kind from another, and of being read
    // a buffer at a time: what a named file gives is what standard input
    // gives, messages naming the file instead.
    std::string longLine(3000000, 'w');
    longLine += "\xC3\xA9 end\r\n\xCC\x81";
    const std::string inputs[] = {"",
                                  "\xEF\xBB\xBF",
                                  "\xEF\xBB",
                                  "a",
                                  "a\xCC\x85",
                                  "\xC3",
                                  "{\\rtf1 x\\par y}",
                                  "{\\rtf",
                                  std::string("\xFF\xFE"
                                              "a\0\n\0",
                                              6),
                                  "**TI89**",
                                  "**TI89*",
                                  longLine};
    const fs::path named = dir_ / "named.txt";
    for (const std::string& bytes : inputs) {
        writeFile(named, bytes);
        const Outcome fromStdin = run("--preset 3", bytes);
        const Outcome fromFile = run("--preset 3 " + quoted(named));
        std::string err = fromFile.err;
        if (const std::size_t at = err.find(named.string()); at != std::string::npos) {
            err.replace(at, named.string().size(), "standard input");
        }
        const std::string shown = testing::PrintToString(bytes.substr(0, 40));
        EXPECT_EQ(fromFile.status, fromStdin.status) << shown;
        EXPECT_TRUE(fromFile.out == fromStdin.out) << shown;
        EXPECT_EQ(err, fromStdin.err) << shown;
    }
}

TEST_F(Cli, InputThroughAPipeAndLongOutputs)
{
    // Several megabytes of random codes through a pipe (read piece by piece)
    // and out in several pieces, as codes and as UTF-8.
    std::mt19937 rng(17);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> percent(0, 99);
    std::string text;
    while (text.size() < (std::size_t{3} << 20) + 12345) {
        const int k = percent(rng);
        text.push_back(k < 15 ? ' ' : k < 17 ? '\r' : static_cast<char>(k < 60 ? 'a' + k % 26 : byte(rng)));
    }
    LineSettings s;
    s.charWidths = defaultCharWidths();
    applyPreset(1, s);
    PassResult want = runLineBreakPass(text, s, true);

    Outcome piped = run("--raw --preset 1", text, "", true);
    EXPECT_EQ(piped.status, 0);
    EXPECT_TRUE(piped.out == want.text) << "piped output differs";
    EXPECT_EQ(piped.err, summary(want.text.size(), want.modificationCount));

    Outcome utf8 = run("--raw --preset 1 --format utf8 -", text, "", true);
    EXPECT_EQ(utf8.status, 0);
    EXPECT_TRUE(utf8.out == charset::toUtf8(want.text)) << "UTF-8 output differs";

    const fs::path target = dir_ / "long.txt";
    Outcome file = run("--raw --preset 1 -o " + quoted(target), text);
    EXPECT_EQ(file.status, 0);
    EXPECT_TRUE(readFile(target) == want.text) << "file output differs";

    // Several megabytes of UTF-8, decoded a piece at a time as the pass goes:
    // line ends of every kind, spellings of two code points, characters
    // without a code, a line longer than a piece.
    const char* const words[] = {
        "na\xC3\xAFve ", "\xCE\xB1\xCE\xB2 ", "x\xCC\x85 ", "word ", "\n", "\r\n", "\r", "\xE2\x80\x9Cq\xE2\x80\x9D "};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(words) - 1);
    std::string unicode(1500000, 'L');
    while (unicode.size() < (std::size_t{3} << 20)) {
        unicode += words[pick(rng)];
    }
    ASSERT_GT(decodeTextFile(unicode).replaced, 1000u);
    // The same with a byte-order mark; not UTF-8 after all two megabytes on
    // (all of it is then read as codes); as a document.
    std::string broken = unicode;
    broken[(std::size_t{2} << 20) + 7] = '\xFF';
    const std::string document = rtf::write(decodeTextFile(unicode.substr(0, 100000)).codes, 10.0);
    const fs::path named = dir_ / "named.txt";
    for (const std::string& bytes : {unicode, "\xEF\xBB\xBF" + unicode, broken, document}) {
        const DecodedText decoded = decodeTextFile(bytes);
        const PassResult wantDecoded = runLineBreakPass(decoded.codes, s, true);
        const std::string notes =
            decoded.replaced == 0
                ? std::string()
                : std::to_string(decoded.replaced) + " characters had no calculator code and were replaced\n";
        // A file named on the command line is read twice, a buffer at a time;
        // standard input is held whole and decoded a piece at a time.
        writeFile(named, bytes);
        for (const std::string& input : {quoted(named), std::string("-")}) {
            Outcome fromUtf8 = run("--preset 1 -o " + quoted(target) + " " + input, bytes);
            SCOPED_TRACE(input + ", " + std::to_string(bytes.size()) + " bytes");
            EXPECT_EQ(fromUtf8.status, 0);
            EXPECT_TRUE(readFile(target) == wantDecoded.text) << "decoded output differs";
            EXPECT_EQ(fromUtf8.err, notes + summary(wantDecoded.text.size(), wantDecoded.modificationCount));
        }
    }
}
