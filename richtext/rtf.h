// Rich text (RTF) for calculator text: the writer that Save Text and Save
// Processed Text use, and a reader for RTF files from any writer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline::rtf {

// The whole text as an RTF document whose plain text is exactly `codes`, in
// the font "Ti92Pluspc" at `fontSizePoints`, each CR LF a paragraph end.
std::string write(std::string_view codes, double fontSizePoints);

struct ReadResult {
    bool ok = false;            // false: not RTF or nothing could be recovered
    std::string codes;          // calculator codes, CR LF line ends
    std::size_t replaced = 0;   // characters without a calculator code
    std::string error;          // why, when !ok
};

// The plain text of an RTF document, as calculator codes.
ReadResult read(std::string_view document);

}  // namespace tessaline::rtf
