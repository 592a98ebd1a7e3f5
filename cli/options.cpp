#include "cli/options.h"

#include <string_view>

namespace tessaline::cli {

const char* const kUsage =
    "Usage: tessaline-process [--preset N] [--custom VALUE] [--no-wrap] [--raw]\n"
    "                         [--format text|utf8|rtf] [-o OUT] [IN]\n"
    "\n"
    "Breaks the lines of a calculator text to the chosen line length.\n"
    "\n"
    "  --preset N       0 Folivane on TI89 (160 pixels, the default)\n"
    "                   1 Folivane on TI92+ (240 pixels)\n"
    "                   2 Text Editor on TI89 (23 characters)\n"
    "                   3 Text Editor on TI92+ (37 characters)\n"
    "                   4 custom number of characters (--custom)\n"
    "                   5 custom number of pixels (--custom)\n"
    "  --custom VALUE   the custom size, needed by presets 4 and 5 and refused\n"
    "                   by the others\n"
    "  --no-wrap        break in front of the overflowing character, not at the\n"
    "                   last space\n"
    "  --raw            take the input bytes as calculator codes, unchanged\n"
    "                   (otherwise RTF and UTF-8 are decoded, line ends become\n"
    "                   CR LF)\n"
    "  --format F       text: calculator codes (default); utf8; rtf\n"
    "  -o OUT           write to OUT (replaced only once complete) instead of\n"
    "                   standard output; a device or FIFO is written into, a\n"
    "                   read-only file is refused\n"
    "  IN               the text to process; absent or - for standard input;\n"
    "                   at most 1 GiB\n"
    "  --help           show this help\n"
    "  --version        show the program's version\n"
    "\n"
    "Reports \"SIZE characters, MODS modifications\" on standard error.\n"
    "Exit status: 0 done, 1 usage or file error, 2 line length refused.\n";

namespace {

// "--name=value" or "--name value"; advances `i` past a separate value.
bool takeValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name, std::string& value,
               bool& missing)
{
    const std::string& arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) {
            missing = true;
            return true;
        }
        value = args[++i];
        return true;
    }
    if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

}  // namespace

ParseResult parseOptions(const std::vector<std::string>& args)
{
    Options o;
    bool haveInput = false;
    bool optionsEnded = false;
    bool haveCustom = false;
    auto fail = [](std::string message) { return ParseResult{std::nullopt, std::move(message)}; };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        bool missing = false;
        if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (arg == "--") {
                optionsEnded = true;
            } else if (arg == "--help" || arg == "-h") {
                o.help = true;
            } else if (arg == "--version") {
                o.version = true;
            } else if (arg == "--no-wrap") {
                o.wordWrap = false;
            } else if (arg == "--raw") {
                o.raw = true;
            } else if (takeValue(args, i, "--preset", value, missing)) {
                if (missing) {
                    return fail("--preset needs a number from 0 to 5");
                }
                if (value.size() != 1 || value[0] < '0' || value[0] > '5') {
                    return fail("--preset must be a number from 0 to 5, not \"" + value + "\"");
                }
                o.preset = value[0] - '0';
            } else if (takeValue(args, i, "--custom", value, missing)) {
                if (missing) {
                    return fail("--custom needs a value");
                }
                o.customText = value;
                haveCustom = true;
            } else if (takeValue(args, i, "--format", value, missing)) {
                if (missing) {
                    return fail("--format needs text, utf8 or rtf");
                }
                if (value == "text") {
                    o.format = OutputFormat::Text;
                } else if (value == "utf8") {
                    o.format = OutputFormat::Utf8;
                } else if (value == "rtf") {
                    o.format = OutputFormat::Rtf;
                } else {
                    return fail("--format must be text, utf8 or rtf, not \"" + value + "\"");
                }
            } else if (takeValue(args, i, "-o", value, missing) || takeValue(args, i, "--output", value, missing)) {
                if (missing || value.empty()) {
                    return fail("-o needs a file name");
                }
                o.outputPath = value;
            } else {
                return fail("unknown option " + arg + " (see --help)");
            }
            continue;
        }
        if (haveInput) {
            return fail("more than one input file given: " + o.inputPath + " and " + arg);
        }
        o.inputPath = arg;
        haveInput = true;
    }
    const bool customPreset = o.preset == 4 || o.preset == 5;
    if (!o.help && !o.version && haveCustom != customPreset) {
        const std::string preset = std::to_string(o.preset);
        return fail(customPreset ? "--preset " + preset + " needs the custom size: --custom VALUE"
                                 : "--custom is for presets 4 and 5, not for preset " + preset);
    }
    return {o, {}};
}

}  // namespace tessaline::cli
