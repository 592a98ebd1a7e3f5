// The command line of tessaline-process.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessaline::cli {

enum class OutputFormat { Text, Utf8, Rtf };

struct Options {
    int preset = 0;
    std::string customText;        // the custom-size text, read by the custom-length rule
    bool wordWrap = true;
    bool raw = false;              // the input bytes go to the pass as they are
    OutputFormat format = OutputFormat::Text;
    std::string outputPath;        // empty: standard output
    std::string inputPath = "-";   // "-": standard input
    bool help = false;
    bool version = false;
};

struct ParseResult {
    std::optional<Options> options;
    std::string error;   // one line, when options is empty
};

ParseResult parseOptions(const std::vector<std::string>& args);

extern const char* const kUsage;

}  // namespace tessaline::cli
