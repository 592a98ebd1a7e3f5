// Reading a text file the way Open Text does: RTF, UTF-8 or 8-bit calculator
// codes, with every line end made CR LF.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessaline {

struct DecodedText {
    bool ok = false;
    std::string codes;          // CR LF line ends
    std::size_t replaced = 0;   // characters transliterated or replaced by "?"
    std::string error;          // why, when !ok
    // The font size an RTF document gives its text; other files have none.
    std::optional<double> fontSizePoints;
};

// A file starting with "{\rtf" is read as RTF; otherwise valid UTF-8 holding
// non-ASCII is decoded and mapped to codes (a byte-order mark is dropped), and
// any other bytes are taken as calculator codes.
DecodedText decodeTextFile(std::string_view bytes);

}  // namespace tessaline
