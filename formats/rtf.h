// Rich text (RTF) for calculator text: the writer that Save Text and Save
// Processed Text use, and a reader for RTF files from any writer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline::rtf {

// The font of calculator text: write() names it, and read() takes bytes in
// it as calculator codes.
inline constexpr std::string_view kCalculatorFontName = "Ti92Pluspc";

// The whole text as an RTF document whose plain text is exactly `codes`, in
// the calculator font at `fontSizePoints` (rounded to half points), each
// CR LF a paragraph end (a lone CR or LF too). Codes outside printable ASCII
// are written as the Unicode characters the program shows for them, with the
// raw code as fallback, so other programs show the same characters and
// read() gives back the same codes.
std::string write(std::string_view codes, double fontSizePoints);

struct ReadResult {
    bool ok = false;           // false: not RTF or nothing could be recovered
    std::string codes;         // calculator codes, CR LF line ends
    std::size_t replaced = 0;  // characters without a calculator code
    std::string error;         // why, when !ok
    // The font size (\fs, 12 points unless set) at the first character of
    // the text, or where the document ends when it has none.
    double fontSizePoints = 12.0;
};

// The plain text of an RTF document, as calculator codes. Bytes (\'hh) in the
// calculator font are codes themselves; elsewhere they are characters of
// the document's code page, mapped like Unicode text (\uN). Tables, pictures,
// field instructions, headers and footers and other non-text parts are
// skipped. Any byte string is read in linear time and bounded memory: a
// damaged document gives what can be recovered; ok is false only for a
// document that does not start with "{\rtf".
ReadResult read(std::string_view document);

}  // namespace tessaline::rtf
