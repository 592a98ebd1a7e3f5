// tessaline-process: the line-break pass as a batch tool.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/file_io.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/pictures.h"
#include "cli/preview_png.h"
#include "cli/text_input.h"
#ifdef TESSALINE_HAVE_LINK
#include "cli/send.h"
#endif
#include "charset/charset.h"
#include "charset/replaced_message.h"
#include "engine/char_widths.h"
#include "engine/line_break_pass.h"
#include "engine/line_settings.h"
#include "formats/calc_text_file.h"
#include "formats/rtf.h"
#include "hyphenation/dictionary.h"
#include "hyphenation/languages.h"
#include "screen/screen_layout.h"

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kRefused = 2;

int fail(int status, const std::string& message)
{
    std::fprintf(stderr, "tessaline-process: %s\n", tessaline::cli::oneLine(message).c_str());
    return status;
}

// The calculator file that holds `codes`, or false with the reason in
// `error`. A text that needs several variables goes only into a group file:
// one output name gives one file, and no file the user did not name is
// written or replaced. `warning` says when the calculator of the format has
// too little RAM for the variables.
bool calcFile(const std::string& codes, const tessaline::cli::Options& options,
              const std::vector<tessaline::CalcPicture>& pictures, std::string& file, std::string& error,
              std::string& warning)
{
    using namespace tessaline;
    CalcWriteOptions write;
    write.format = options.calcFormat;
    write.name = options.calcName.empty() ? calcNameFromFileName(options.outputPath) : options.calcName;
    write.folder = options.calcFolder;
    CalcWriteResult written = writeCalcText(codes, write, pictures);
    if (!written.ok) {
        error = std::move(written.error);
        return false;
    }
    if (written.files.size() > 1) {
        CalcFormat group = options.calcFormat;
        group.group = true;
        error = "The text needs " + std::to_string(written.files.size()) + " variables of at most "
                + std::to_string(kMaxVariableText) + " bytes, and a ." + calcFileExtension(options.calcFormat)
                + " file holds one; --format " + calcFileExtension(group) + " writes them as one group file.";
        return false;
    }
    warning = calcMemoryWarning(written.memoryUse, options.calcFormat.calculator);
    file = std::move(written.files.front().bytes);
    return true;
}

// The dictionary --hyphenate names, or nothing with the reason in `error`.
std::unique_ptr<tessaline::hyphenation::Dictionary> hyphenationDictionary(const std::string& name, std::string& error)
{
    using namespace tessaline::hyphenation;
    const std::optional<Language> language = findLanguage(name);
    if (!language) {
        std::string installed;
        for (const Language& l : findLanguages()) {
            installed += (installed.empty() ? "" : ", ") + l.name;
        }
        error = "no hyphenation dictionary for \"" + name + "\" ("
                + (installed.empty() ? std::string("none installed") : "installed: " + installed) + ")";
        return nullptr;
    }
    return Dictionary::load(language->file, error);
}

int process(int argc, char** argv)
{
    using namespace tessaline;

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
    if (options.format == cli::OutputFormat::Picture) {
        return cli::convertOneImage(options);
    }

    LineSettings settings;
    settings.charWidths = defaultCharWidths();
    applyPreset(options.preset, settings);
    if (Refusal refused = applyCustomLength(options.preset, options.customText, settings)) {
        return fail(kRefused, refused.message);
    }
    std::unique_ptr<hyphenation::Dictionary> dictionary;
    if (!options.hyphenate.empty()) {
        std::string error;
        dictionary = hyphenationDictionary(options.hyphenate, error);
        if (!dictionary) {
            return fail(kFailed, error);
        }
        settings.hyphenator = dictionary.get();
    }

    // The calculator codes to process: the input bytes themselves (--raw) or
    // the input read as the editor opens a file. Written as text, the input
    // is read a piece at a time as the pass goes, unless the limit may refuse
    // a character of it: that is told before anything is written.
    const bool textOutput = options.format == cli::OutputFormat::Text || options.format == cli::OutputFormat::Utf8;
    using Reading = cli::TextInput::Reading;
    const Reading reading = options.raw                                    ? Reading::Raw
                            : textOutput && limitAdmitsEveryCode(settings) ? Reading::Pieces
                                                                           : Reading::Whole;
    std::string error;
    cli::TextInput input;
    input.setChapterLevel(options.chapterLevel);
    if (!input.open(options.inputPath, reading, error)) {
        return fail(kFailed, error);
    }
    const std::string_view codes = input.codes();  // empty when read in pieces
    if (Refusal refused = checkLimitAdmitsText(settings, codes)) {
        return fail(kRefused, refused.message);
    }

    // With --send or --preview the text is written only where -o asks for it.
    const bool preview = !options.previewPath.empty();
    const bool keepCodes = options.send || preview;
    const bool writeOutput = !keepCodes || !options.outputPath.empty();
    std::string sentCodes;
    // The pictures of the "_PIC" lines, found once the processed text is
    // known, for the group file, --send and --preview.
    const bool groupFile = options.format == cli::OutputFormat::Calc && options.calcFormat.group;
    const bool picturesWanted = groupFile || keepCodes;
    std::vector<TextPicture> pictures;
    bool picturesComplete = true;
    // The calculator the pictures are made for: the file's or --send's, else
    // the one whose screen the preview shows.
    const Calculator pictureCalculator = options.format == cli::OutputFormat::Calc || options.send ? options.calculator
                                         : screen::targetFor(settings).size.width > screen::kTi89Screen.width
                                             ? Calculator::Ti92Plus
                                             : Calculator::Ti89;
    auto gatherPictures = [&](std::string_view processed) {
        pictures = cli::findPictures(options, processed, input.bookPictures(), pictureCalculator, picturesComplete);
        if (!picturesComplete && options.requirePictures) {
            error = "--require-pictures: a picture is missing, so nothing is written or sent";
            return false;
        }
        return true;
    };
    cli::OutputSink output;
    if (writeOutput && !output.open(options.outputPath, error)) {
        return fail(kFailed, error);
    }
    std::int64_t size = 0;
    std::int64_t modifications = 0;
    std::string calcWarning;
    if (options.format == cli::OutputFormat::Rtf || options.format == cli::OutputFormat::Calc) {
        // The document or calculator file needs the whole text at once. The
        // input goes before the pass runs, so that at most the text and its
        // processed form are held, then the processed form and the document.
        std::string text = input.takeCodes();
        PassResult result = runLineBreakPass(std::move(text), settings, options.wordWrap);
        if (result.error) {
            return fail(kRefused, *result.error);
        }
        size = static_cast<std::int64_t>(result.text.size());
        modifications = result.modificationCount;
        if (picturesWanted && !gatherPictures(result.text)) {
            return fail(kFailed, error);
        }
        std::string document;
        if (options.format == cli::OutputFormat::Rtf) {
            document = rtf::write(result.text, 9.0);
        } else if (!calcFile(result.text, options, groupFile ? foundPictures(pictures) : std::vector<CalcPicture>(),
                             document, error, calcWarning)) {
            return fail(kFailed, error);
        }
        if (keepCodes)
            sentCodes = std::move(result.text);
        std::string().swap(result.text);
        if (writeOutput && !output.write(document, error)) {
            return fail(kFailed, error);
        }
    } else {
        // Text and UTF-8 are written as the pass goes, a piece at a time.
        const bool utf8 = options.format == cli::OutputFormat::Utf8;
        std::string utf8Room;  // kept from piece to piece: its memory is made once
        auto sink = [&](std::string_view piece) {
            if (keepCodes)
                sentCodes += piece;
            if (!writeOutput)
                return true;
            if (!utf8)
                return output.write(piece, error);
            return output.write(charset::toUtf8(piece, utf8Room), error);
        };
        StreamedPass result;
        if (reading == Reading::Pieces) {
            auto nextPiece = [&](std::string_view& piece) { return input.nextPiece(piece); };
            result = streamLineBreakPass(nextPiece, settings, options.wordWrap, sink);
            if (input.failed()) {
                return fail(kFailed, input.readError());
            }
        } else {
            result = streamLineBreakPass(codes, settings, options.wordWrap, sink);
        }
        if (result.error) {
            return fail(kRefused, *result.error);
        }
        if (result.sinkFailed) {
            return fail(kFailed, error);
        }
        size = result.size;
        modifications = result.modificationCount;
        if (picturesWanted && !gatherPictures(sentCodes)) {
            return fail(kFailed, error);
        }
    }
    if (writeOutput && !output.commit(error)) {
        return fail(kFailed, error);
    }
    // The notes on the input go with a run that took place; a failure or
    // refusal stays a single line.
    std::string warning = input.warning();
    const std::size_t replaced = input.replaced();
    if (!warning.empty()) {
        std::replace(warning.begin(), warning.end(), '\n', ' ');
        // The warning quotes names from the file: escaped, as every message is.
        std::fprintf(stderr, "%s\n", cli::oneLine(input.name() + ": " + warning).c_str());
    }
    if (replaced > 0)
        std::fprintf(stderr, "%s\n", charset::replacedMessage(replaced).c_str());
    if (!calcWarning.empty())
        std::fprintf(stderr, "%s\n", cli::oneLine(calcWarning).c_str());
    std::fprintf(stderr, "%lld characters, %lld modifications\n", static_cast<long long>(size),
                 static_cast<long long>(modifications));
    if (preview) {
        // The layout keeps the text; --send still needs it afterwards.
        std::string shown = options.send ? sentCodes : std::move(sentCodes);
        const auto lookup = [&pictures](std::string_view name) { return foundPicture(pictures, name); };
        const screen::ScreenLayout layout(std::move(shown), screen::targetFor(settings), lookup);
        const int count = layout.screenCount();
        if (options.firstScreen > count) {
            return fail(kFailed, "--screens " + std::to_string(options.firstScreen) + ": the text has "
                                     + std::to_string(count) + (count == 1 ? " screen" : " screens"));
        }
        const int last = options.lastScreen == 0 ? count : std::min(options.lastScreen, count);
        cli::OutputSink png;
        auto sink = [&](std::string_view piece) { return png.write(piece, error); };
        if (!png.open(options.previewPath, error)
            || !cli::writePreviewPng(layout, options.firstScreen - 1, last - 1, options.zoom, sink, error)
            || !png.commit(error)) {
            return fail(kFailed, error);
        }
    }
#ifdef TESSALINE_HAVE_LINK
    if (options.send) {
        return cli::sendProcessedText(options, std::move(sentCodes), foundPictures(pictures));
    }
#endif
    return kDone;
}

}  // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);  // a closed output is reported, not fatal
    // Past a file-size limit (ulimit -f) the write fails with "File too
    // large" and is reported, and the temporary file removed, instead of the
    // signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    tessaline::cli::removeTemporaryFileOnSignals();
    // Running out of memory unwinds the stack, which removes a temporary file.
    try {
        return process(argc, argv);
    } catch (const std::bad_alloc&) {
        return fail(kFailed, "not enough memory for this text");
    }
}
