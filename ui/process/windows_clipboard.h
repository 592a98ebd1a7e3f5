// The Windows clipboard in its two text formats: the Unicode text that every
// program reads, and the 8-bit text format, which carries the calculator codes
// themselves for the calculator link software.
#pragma once

#include <string_view>

namespace tessaline {

// Replaces the clipboard's content with `unicode` (CF_UNICODETEXT) and `codes`
// (CF_TEXT). Windows only; false when the clipboard could not be written.
bool putTextOnWindowsClipboard(std::u16string_view unicode, std::string_view codes);

}  // namespace tessaline
