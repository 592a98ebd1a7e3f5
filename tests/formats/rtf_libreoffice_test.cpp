// Acceptance check against a real word processor: LibreOffice reads a saved
// document as the same characters in the same lines, and what it saves again
// reads back here as the same codes. Skipped where LibreOffice is missing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "charset/charset.h"
#include "formats/rtf.h"

namespace fs = std::filesystem;
using namespace tessaline;

namespace {

bool haveSoffice() { return std::system("command -v soffice >/dev/null 2>&1") == 0; }

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs a headless conversion of `input` into `outDir`; true on success.
bool convert(const fs::path& input, const std::string& filter, const fs::path& outDir, const fs::path& profile)
{
    const std::string command = "timeout 300 soffice -env:UserInstallation=file://" + profile.string()
                                + " --headless --convert-to '" + filter + "' --outdir '" + outDir.string() + "' '"
                                + input.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

}  // namespace

TEST(RtfLibreOffice, ReadsTheSameCharactersAndLines)
{
    if (!haveSoffice())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";

    std::string text;
    for (int c = 0; c < 256; ++c) {
        if (c == '\r' || c == '\n')
            continue;
        text.push_back(static_cast<char>(c));
        text += c % 16 == 15 ? "\r\n" : " ";
    }
    text += "a  b   c    d\r\n  lead\r\n\tTab\r\nx\x9Ax\x9By\r\n_TIL The end\r\n";

    const fs::path dir = fs::temp_directory_path() / ("tessaline-lo-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "txt");
    fs::create_directories(dir / "rtf");
    const fs::path input = dir / "sample.rtf";
    {
        std::ofstream out(input, std::ios::binary);
        out << rtf::write(text, 10.0);
    }

    // As plain text (UTF-8): the characters this program shows, line by line.
    ASSERT_TRUE(convert(input, "txt:Text (encoded):UTF8", dir / "txt", dir / "profile"));
    std::string utf8 = slurp(dir / "txt" / "sample.txt");
    if (utf8.starts_with("\xEF\xBB\xBF"))
        utf8.erase(0, 3);
    const charset::Conversion shown = charset::fromUtf8(utf8);
    EXPECT_EQ(shown.replaced, 0u);
    EXPECT_EQ(charset::normalizeLineEnds(shown.codes), text);

    // Saved again as RTF by LibreOffice: the same codes here.
    ASSERT_TRUE(convert(input, "rtf:Rich Text Format", dir / "rtf", dir / "profile"));
    const auto back = rtf::read(slurp(dir / "rtf" / "sample.rtf"));
    EXPECT_TRUE(back.ok);
    EXPECT_EQ(back.codes, text);
    EXPECT_EQ(back.replaced, 0u);

    fs::remove_all(dir);
}
