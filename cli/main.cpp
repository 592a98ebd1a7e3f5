// tessaline-process: the line-break pass as a batch tool.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/file_io.h"
#include "cli/options.h"
#ifdef TESSALINE_HAVE_LINK
#include "cli/send.h"
#endif
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
    if (options.version) {
        std::fputs("tessaline-process " TESSALINE_VERSION "\n", stdout);
        return std::fflush(stdout) == 0 ? kDone : kFailed;
    }

    LineSettings settings;
    settings.CharWidths = defaultCharWidths();
    applyPreset(options.preset, settings);
    if (Refusal refused = applyCustomLength(options.preset, options.customText, settings)) {
        return fail(kRefused, refused.message);
    }

    std::string error;
    cli::InputBytes input;
    if (!input.open(options.inputPath, error)) {
        return fail(kFailed, error);
    }
    // The calculator codes to process: the input bytes themselves (--raw) or
    // the input read as the editor opens a file.
    std::string decodedCodes;
    std::size_t replaced = 0;   // input characters without a calculator code
    std::string_view codes = input.bytes();
    if (!options.raw) {
        DecodedText decoded = decodeTextFile(codes);
        input.release();
        if (!decoded.ok) {
            const std::string name = options.inputPath == "-" ? std::string("standard input") : options.inputPath;
            return fail(kFailed, name + ": " + decoded.error);
        }
        replaced = decoded.replaced;
        decodedCodes = std::move(decoded.codes);
        codes = decodedCodes;
    }

    if (Refusal refused = checkLimitAdmitsText(settings, codes)) {
        return fail(kRefused, refused.message);
    }

    // With --send the text is written only where -o asks for it.
    const bool writeOutput = !options.send || !options.outputPath.empty();
    std::string sentCodes;
    cli::OutputSink output;
    if (writeOutput && !output.open(options.outputPath, error)) {
        return fail(kFailed, error);
    }
    std::int64_t size = 0;
    std::int64_t modifications = 0;
    if (options.format == cli::OutputFormat::Rtf) {
        // The document needs the whole text at once. The input goes before
        // the pass runs, so that at most the text and its processed form are
        // held, then the processed form and the document.
        std::string text = options.raw ? std::string(codes) : std::move(decodedCodes);
        input.release();
        std::string().swap(decodedCodes);
        PassResult result = runLineBreakPass(std::move(text), settings, options.wordWrap);
        if (result.error) {
            return fail(kRefused, *result.error);
        }
        size = static_cast<std::int64_t>(result.text.size());
        modifications = result.modificationCount;
        const std::string document = rtf::write(result.text, 9.0);
        if (options.send)
            sentCodes = std::move(result.text);
        std::string().swap(result.text);
        if (writeOutput && !output.write(document, error)) {
            return fail(kFailed, error);
        }
    } else {
        // Text and UTF-8 are written as the pass goes, a piece at a time.
        const bool utf8 = options.format == cli::OutputFormat::Utf8;
        StreamedPass result = streamLineBreakPass(codes, settings, options.wordWrap, [&](std::string_view piece) {
            if (options.send)
                sentCodes += piece;
            if (!writeOutput)
                return true;
            return utf8 ? output.write(charset::toUtf8(piece), error) : output.write(piece, error);
        });
        if (result.error) {
            return fail(kRefused, *result.error);
        }
        if (result.sinkFailed) {
            return fail(kFailed, error);
        }
        size = result.size;
        modifications = result.modificationCount;
    }
    if (writeOutput && !output.commit(error)) {
        return fail(kFailed, error);
    }
    // The note on replaced characters goes with a run that took place; a
    // failure or refusal stays a single line.
    if (replaced > 0) {
        if (replaced == 1)
            std::fputs("1 character had no calculator code and was replaced\n", stderr);
        else
            std::fprintf(stderr, "%zu characters had no calculator code and were replaced\n", replaced);
    }
    std::fprintf(stderr, "%lld characters, %lld modifications\n", static_cast<long long>(size),
                 static_cast<long long>(modifications));
#ifdef TESSALINE_HAVE_LINK
    if (options.send) {
        return cli::sendProcessedText(options, std::move(sentCodes));
    }
#endif
    return kDone;
}
