// The command line of tessaline-process.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/calc_text_file.h"

namespace tessaline::cli {

enum class OutputFormat { Text, Utf8, Rtf, Calc, Picture };

struct Options {
    int preset = 0;
    std::string customText;  // the custom-size text, read by the custom-length rule
    bool wordWrap = true;
    bool raw = false;       // the input bytes go to the pass as they are
    int chapterLevel = 0;   // --chapters: the heading levels that start a book's chapters; 0: the book's own
    std::string hyphenate;  // --hyphenate: the dictionary's language; empty: off
    OutputFormat format = OutputFormat::Text;
    CalcFormat calcFormat;  // the calculator file written, with OutputFormat::Calc (and Picture: its calculator)
    std::string calcName;   // a valid variable name; empty: made from OUT's name (with --send: OUT's or IN's)
    std::string calcFolder = "main";  // a valid folder name
    std::string outputPath;           // empty: standard output
    std::string inputPath = "-";      // "-": standard input
    // --send: the processed text goes to a calculator as text variables.
    bool send = false;
    Calculator calculator = Calculator::Ti89;  // --calculator, or a calculator --format's
    std::string cableModel;                    // the link library's cable name; empty: the first cable found
    int port = 1;
    int timeoutTenths = 0;  // --timeout in tenths of a second; 0: the link's own
    bool replace = false;   // --replace: variables of the same names on the calculator are replaced
    bool archive = false;   // --archive: the variables go to the calculator's archive
    // The pictures of "_PIC" lines, for a group format, --send and --preview.
    std::string picturesDir;       // --pictures; empty: the input file's folder
    bool requirePictures = false;  // a missing picture fails the run
    bool fitPictures = false;      // --fit: small images enlarged to the screen
    int threshold = 0;             // --threshold: 1 to 255 for line art; 0 dithers
    // --preview: the calculator's screens of the processed text as a PNG.
    std::string previewPath;  // empty: no preview
    int zoom = 1;             // 1 to 4
    int firstScreen = 1;      // 1-based, both included
    int lastScreen = 0;       // 0: the last screen
    bool help = false;
    bool version = false;
};

struct ParseResult {
    std::optional<Options> options;
    std::string error;  // one line, when options is empty
};

ParseResult parseOptions(const std::vector<std::string>& args);

extern const char* const kUsage;

}  // namespace tessaline::cli
