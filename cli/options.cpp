#include "cli/options.h"

#include <optional>
#include <string_view>

#include "formats/calc_picture.h"

namespace tessaline::cli {

const char* const kUsage =
    "Usage: tessaline-process [--preset N] [--custom VALUE] [--no-wrap] [--raw]\n"
    "                         [--chapters LEVEL] [--hyphenate LANG]\n"
    "                         [--format text|utf8|rtf|89t|9xt|v2t|89g|9xg|v2g]\n"
    "                         [--name NAME] [--folder FOLDER] [-o OUT] [IN]\n"
    "                         [--pictures DIR] [--require-pictures]\n"
    "       tessaline-process --format 89i|9xi|v2i [--fit] [--threshold N]\n"
    "                         [--name NAME] [--folder FOLDER] -o OUT IMAGE\n"
    "       tessaline-process --send [--calculator ti89|ti92plus|v200]\n"
    "                         [--name NAME] [--folder FOLDER] [--cable MODEL]\n"
    "                         [--port N] [--timeout SECONDS] [--replace]\n"
    "                         [--archive] [other options] [IN]\n"
    "       tessaline-process --preview OUT.png [--zoom N] [--screens FIRST-LAST]\n"
    "                         [other options] [IN]\n"
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
    "  --hyphenate LANG with word wrap, break a word that does not fit at a point\n"
    "                   the hyphenation dictionary of LANG allows (en_US, de_DE,\n"
    "                   fr, ...: the hyphen-* dictionaries in /usr/share/hyphen),\n"
    "                   inserting \"-\" and the line break\n"
    "  --raw            take the input bytes as calculator codes, unchanged\n"
    "                   (otherwise RTF and UTF-8 are decoded, line ends become\n"
    "                   CR LF; calculator files give their text variables;\n"
    "                   EPUB, ODT and DOCX files, and HTML and Markdown files\n"
    "                   by their names, give their marked-up text)\n"
    "  --chapters LEVEL the headings that start chapters in a book: levels 1 to\n"
    "                   LEVEL (1 to 9), an EPUB's table of contents down to that\n"
    "                   depth; by default the whole table of contents, or the\n"
    "                   top heading level the document uses\n"
    "  --format F       text: calculator codes (default); utf8; rtf;\n"
    "                   89t (TI-89), 9xt (TI-92 Plus), v2t (Voyage 200): a file\n"
    "                   holding one text variable; 89g, 9xg, v2g: a group file\n"
    "                   holding the text in as many variables as it needs\n"
    "                   (NAME1, NAME2, ..., each at most 65514 bytes, cut at line\n"
    "                   ends), and the pictures of its \"_PIC name\" lines. A\n"
    "                   text too long for one variable is refused in 89t, 9xt\n"
    "                   and v2t. 89i, 9xi, v2i: IMAGE (PNG, JPEG, GIF or BMP)\n"
    "                   as a picture variable\n"
    "  --pictures DIR   the folder of the pictures \"_PIC name\" lines ask for in\n"
    "                   a group format, with --send and --preview: NAME.png,\n"
    "                   .jpg, .gif or .bmp (default: the folder of IN; a book's\n"
    "                   own pictures come first). A missing picture is one line\n"
    "                   on standard error and the text goes without it\n"
    "  --require-pictures  a missing picture fails the run; nothing is written\n"
    "  --fit            enlarge images smaller than the screen to fit it (larger\n"
    "                   ones are always scaled down to fit, keeping their shape)\n"
    "  --threshold N    1 to 255: pixels darker than N are black, for line art;\n"
    "                   by default pictures are dithered\n"
    "  --name NAME      the variable name for the calculator formats (1 to 8\n"
    "                   letters, digits or _, a letter first); by default made\n"
    "                   from the name of OUT, or \"text\"\n"
    "  --folder FOLDER  the calculator folder (default main)\n"
    "  -o OUT           write to OUT (replaced only once complete) instead of\n"
    "                   standard output; a device or FIFO is written into, a\n"
    "                   read-only file is refused\n"
    "  IN               the text to process; absent or - for standard input;\n"
    "                   at most 1 GiB\n"
    "  --send           send the processed text to a connected calculator as a\n"
    "                   text variable (a text too long for one variable as\n"
    "                   NAME1, NAME2, ..., cut at line ends); writes the text to\n"
    "                   OUT only when -o is given. --name and --folder name the\n"
    "                   variable (by default made from the name of OUT or IN)\n"
    "  --calculator C   with --send: ti89, ti92plus or v200; by default the\n"
    "                   calculator of a calculator --format, else ti89\n"
    "  --cable MODEL    with --send: the cable as the link library names it\n"
    "                   (SilverLink, DirectLink, GrayLink, BlackLink, ...);\n"
    "                   by default the first cable found\n"
    "  --port N         with --send: the link library's port number, 1 to 4\n"
    "                   (default 1); the emulator TiEmu is --cable TiEmu --port 2\n"
    "  --timeout S      with --send: how long each step may wait for the\n"
    "                   calculator, 0.1 to 600 seconds (default 10); the whole\n"
    "                   send ends after a deadline scaled to it and the bytes\n"
    "  --replace        with --send: replace variables of the same names that\n"
    "                   the calculator holds (without it, nothing is sent then)\n"
    "  --archive        with --send: store the variables in the calculator's\n"
    "                   archive (flash) instead of its RAM\n"
    "  --preview PNG    draw the processed text as the calculator's screens in its\n"
    "                   small font into PNG, a column of screens parted by a\n"
    "                   grey row (the reader's screens for presets 0, 1 and 5,\n"
    "                   the Text Editor's for 2, 3 and 4; a line too wide in\n"
    "                   red); writes the text to OUT only when -o is given\n"
    "  --zoom N         with --preview: each pixel N times, 1 to 4 (default 1)\n"
    "  --screens F-L    with --preview: screens F to L only (from 1; L beyond\n"
    "                   the last screen means the last), or the one screen F\n"
    "  --help           show this help\n"
    "  --version        show the program's version\n"
    "\n"
    "Reports \"SIZE characters, MODS modifications\" on standard error.\n"
    "Exit status: 0 done, 1 usage or file error, 2 line length refused,\n"
    "3 the calculator link failed (--send).\n";

namespace {

constexpr std::string_view kFormats = "text, utf8, rtf, 89t, 9xt, v2t, 89g, 9xg, v2g, 89i, 9xi or v2i";
constexpr int kMaxTimeoutTenths = 6000;

// "12" or "1.5": seconds with at most one decimal, in tenths; -1 for
// anything else.
int readTenths(const std::string& text)
{
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string tenth = point == std::string::npos ? "0" : text.substr(point + 1);
    const auto digits = [](const std::string& part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!digits(whole) || !digits(tenth) || tenth.size() != 1 || whole.size() > 5)
        return -1;
    return std::stoi(whole) * 10 + (tenth[0] - '0');
}

// "3" or "3-7": screens counted from 1.
bool readScreenRange(const std::string& text, int& first, int& last)
{
    auto number = [](std::string_view digits, int& value) {
        if (digits.empty() || digits.size() > 9)
            return false;
        value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9')
                return false;
            value = value * 10 + (c - '0');
        }
        return value >= 1;
    };
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos)
        return number(text, first) && number(text, last);
    return number(std::string_view(text).substr(0, dash), first)
           && number(std::string_view(text).substr(dash + 1), last) && first <= last;
}

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
    bool calcNamed = false;  // --name or --folder given
    bool sendNamed = false;  // an option that only --send reads was given
    bool haveCustom = false;
    bool previewNamed = false;             // an option that only --preview reads was given
    bool picturesNamed = false;            // --pictures or --require-pictures given
    bool imageNamed = false;               // --fit or --threshold given
    std::optional<Calculator> calculator;  // --calculator
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
            } else if (takeValue(args, i, "--chapters", value, missing)) {
                if (missing) {
                    return fail("--chapters needs a heading level from 1 to 9");
                }
                if (value.size() != 1 || value[0] < '1' || value[0] > '9') {
                    return fail("--chapters must be a heading level from 1 to 9, not \"" + value + "\"");
                }
                o.chapterLevel = value[0] - '0';
            } else if (takeValue(args, i, "--hyphenate", value, missing)) {
                if (missing || value.empty()) {
                    return fail("--hyphenate needs a language (en_US, de_DE, ...)");
                }
                o.hyphenate = value;
            } else if (takeValue(args, i, "--custom", value, missing)) {
                if (missing) {
                    return fail("--custom needs a value");
                }
                o.customText = value;
                haveCustom = true;
            } else if (takeValue(args, i, "--format", value, missing)) {
                if (missing) {
                    return fail("--format needs " + std::string(kFormats));
                }
                if (value == "text") {
                    o.format = OutputFormat::Text;
                } else if (value == "utf8") {
                    o.format = OutputFormat::Utf8;
                } else if (value == "rtf") {
                    o.format = OutputFormat::Rtf;
                } else if (std::optional<CalcFormat> calc = calcFormatFromExtension(value)) {
                    o.format = OutputFormat::Calc;
                    o.calcFormat = *calc;
                } else if (std::optional<Calculator> picture = calcPictureCalculatorFromExtension(value)) {
                    o.format = OutputFormat::Picture;
                    o.calcFormat = {*picture, false};
                } else {
                    return fail("--format must be " + std::string(kFormats) + ", not \"" + value + "\"");
                }
            } else if (arg == "--send") {
#ifdef TESSALINE_HAVE_LINK
                o.send = true;
#else
                return fail(
                    "--send is not available: this tessaline-process was built without the calculator "
                    "link libraries");
#endif
            } else if (takeValue(args, i, "--calculator", value, missing)) {
                if (missing) {
                    return fail("--calculator needs ti89, ti92plus or v200");
                }
                if (value == "ti89") {
                    calculator = Calculator::Ti89;
                } else if (value == "ti92plus") {
                    calculator = Calculator::Ti92Plus;
                } else if (value == "v200") {
                    calculator = Calculator::Voyage200;
                } else {
                    return fail("--calculator must be ti89, ti92plus or v200, not \"" + value + "\"");
                }
                sendNamed = true;
            } else if (takeValue(args, i, "--name", value, missing)) {
                if (missing) {
                    return fail("--name needs a variable name");
                }
                if (std::string problem = calcNameProblem(value, NameRole::Variable); !problem.empty()) {
                    return fail(problem);
                }
                o.calcName = value;
                calcNamed = true;
            } else if (takeValue(args, i, "--folder", value, missing)) {
                if (missing) {
                    return fail("--folder needs a folder name");
                }
                if (std::string problem = calcNameProblem(value, NameRole::Folder); !problem.empty()) {
                    return fail(problem);
                }
                o.calcFolder = value;
                calcNamed = true;
            } else if (takeValue(args, i, "--cable", value, missing)) {
                if (missing || value.empty()) {
                    return fail("--cable needs a cable name such as SilverLink or DirectLink");
                }
                o.cableModel = value;
                sendNamed = true;
            } else if (takeValue(args, i, "--port", value, missing)) {
                if (missing || value.size() != 1 || value[0] < '1' || value[0] > '4') {
                    return fail("--port must be a number from 1 to 4");
                }
                o.port = value[0] - '0';
                sendNamed = true;
            } else if (takeValue(args, i, "--timeout", value, missing)) {
                const int tenths = missing ? -1 : readTenths(value);
                if (tenths < 1 || tenths > kMaxTimeoutTenths) {
                    return fail("--timeout must be a number of seconds from 0.1 to 600"
                                + (missing ? std::string() : ", not \"" + value + "\""));
                }
                o.timeoutTenths = tenths;
                sendNamed = true;
            } else if (arg == "--replace") {
                o.replace = true;
                sendNamed = true;
            } else if (arg == "--archive") {
                o.archive = true;
                sendNamed = true;
            } else if (takeValue(args, i, "--preview", value, missing)) {
                if (missing || value.empty()) {
                    return fail("--preview needs a PNG file name");
                }
                o.previewPath = value;
            } else if (takeValue(args, i, "--pictures", value, missing)) {
                if (missing || value.empty()) {
                    return fail("--pictures needs a folder");
                }
                o.picturesDir = value;
                picturesNamed = true;
            } else if (arg == "--require-pictures") {
                o.requirePictures = true;
                picturesNamed = true;
            } else if (arg == "--fit") {
                o.fitPictures = true;
                imageNamed = true;
            } else if (takeValue(args, i, "--threshold", value, missing)) {
                const bool digits =
                    !value.empty() && value.size() <= 3 && value.find_first_not_of("0123456789") == std::string::npos;
                if (missing || !digits || std::stoi(value) < 1 || std::stoi(value) > 255) {
                    return fail("--threshold must be a number from 1 to 255");
                }
                o.threshold = std::stoi(value);
                imageNamed = true;
            } else if (takeValue(args, i, "--zoom", value, missing)) {
                if (missing || value.size() != 1 || value[0] < '1' || value[0] > '4') {
                    return fail("--zoom must be a number from 1 to 4");
                }
                o.zoom = value[0] - '0';
                previewNamed = true;
            } else if (takeValue(args, i, "--screens", value, missing)) {
                if (missing || !readScreenRange(value, o.firstScreen, o.lastScreen)) {
                    return fail("--screens must be FIRST-LAST or one screen, counted from 1"
                                + (missing ? std::string() : ", not \"" + value + "\""));
                }
                previewNamed = true;
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
    // An option nothing would read is a mistake to point out, not to drop.
    if (calcNamed && o.format != OutputFormat::Calc && o.format != OutputFormat::Picture && !o.send) {
        return fail(
            "--name and --folder go with a calculator format (--format 89t, 9xt, v2t, 89g, 9xg, v2g, 89i, 9xi or "
            "v2i) or --send");
    }
    if (previewNamed && o.previewPath.empty()) {
        return fail("--zoom and --screens go with --preview");
    }
    const bool groupFormat = o.format == OutputFormat::Calc && o.calcFormat.group;
    const bool pictures = groupFormat || o.send || !o.previewPath.empty();
    if (picturesNamed && !pictures) {
        return fail(
            "--pictures and --require-pictures go with a group format (--format 89g, 9xg or v2g), --send "
            "or --preview");
    }
    if (imageNamed && !pictures && o.format != OutputFormat::Picture) {
        return fail(
            "--fit and --threshold go with a picture format (--format 89i, 9xi or v2i), a group format, "
            "--send or --preview");
    }
    if (o.format == OutputFormat::Picture && (o.send || !o.previewPath.empty())) {
        return fail("--format 89i, 9xi and v2i convert an image; they do not go with --send or --preview");
    }
    if (sendNamed && !o.send) {
        return fail("--calculator, --cable, --port, --timeout, --replace and --archive go with --send");
    }
    o.calculator = calculator                                                            ? *calculator
                   : o.format == OutputFormat::Calc || o.format == OutputFormat::Picture ? o.calcFormat.calculator
                                                                                         : Calculator::Ti89;
    const bool customPreset = o.preset == 4 || o.preset == 5;
    if (!o.help && !o.version && haveCustom != customPreset) {
        const std::string preset = std::to_string(o.preset);
        return fail(customPreset ? "--preset " + preset + " needs the custom size: --custom VALUE"
                                 : "--custom is for presets 4 and 5, not for preset " + preset);
    }
    return {o, {}};
}

}  // namespace tessaline::cli
