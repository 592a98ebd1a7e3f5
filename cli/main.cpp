// tessaline-process: the line-break pass as a batch tool.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/file_io.h"
#include "cli/options.h"
#include "engine/char_widths.h"
#include "engine/line_break_pass.h"
#include "engine/line_settings.h"
#include "richtext/charset.h"
#include "richtext/rtf.h"
#include "richtext/text_file.h"

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kRefused = 2;

int fail(int status, const std::string& message)
{
    std::fprintf(stderr, "tessaline-process: %s\n", message.c_str());
    return status;
}

// Gives the memory of `s` back at once.
void release(std::string& s)
{
    std::string().swap(s);
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace tessaline;
    std::signal(SIGPIPE, SIG_IGN);   // a closed output is reported, not fatal

    const cli::ParseResult parsed = cli::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        return fail(kFailed, parsed.error);
    }
    const cli::Options& options = *parsed.options;
    if (options.help) {
        std::fputs(cli::kUsage, stdout);
        return std::fflush(stdout) == 0 ? kDone : kFailed;
    }

    LineSettings settings;
    settings.CharWidths = defaultCharWidths();
    applyPreset(options.preset, settings);
    if (Refusal refused = applyCustomLength(options.preset, options.customText, settings)) {
        return fail(kRefused, refused.message);
    }

    std::string error;
    std::string codes;
    if (!cli::readAll(options.inputPath, codes, error)) {
        return fail(kFailed, error);
    }
    if (!options.raw) {
        DecodedText decoded = decodeTextFile(codes);
        release(codes);
        if (!decoded.ok) {
            return fail(kFailed, (options.inputPath == "-" ? std::string("standard input") : options.inputPath) +
                                     ": " + decoded.error);
        }
        if (decoded.replaced > 0) {
            std::fprintf(stderr, "%zu characters had no calculator code and were replaced\n", decoded.replaced);
        }
        codes = std::move(decoded.codes);
    }

    if (Refusal refused = checkLimitAdmitsText(settings, codes)) {
        return fail(kRefused, refused.message);
    }
    PassResult result = runLineBreakPass(std::move(codes), settings, options.wordWrap);
    if (result.error) {
        return fail(kRefused, *result.error);
    }
    const std::size_t size = result.text.size();

    bool written = false;
    switch (options.format) {
    case cli::OutputFormat::Text:
        written = cli::writeAll(options.outputPath, result.text, error);
        break;
    case cli::OutputFormat::Utf8: {
        std::string utf8 = charset::toUtf8(result.text);
        release(result.text);
        written = cli::writeAll(options.outputPath, utf8, error);
        break;
    }
    case cli::OutputFormat::Rtf: {
        std::string document = rtf::write(result.text, 9.0);
        release(result.text);
        written = cli::writeAll(options.outputPath, document, error);
        break;
    }
    }
    if (!written) {
        return fail(kFailed, error);
    }
    std::fprintf(stderr, "%zu characters, %lld modifications\n", size,
                 static_cast<long long>(result.modificationCount));
    return kDone;
}
