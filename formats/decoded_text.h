// A text file read whole as Open Text reads it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace tessaline {

struct DecodedText {
    bool ok = false;
    std::string codes;         // CR LF line ends
    std::size_t replaced = 0;  // characters transliterated or replaced by "?"
    std::string error;         // why, when !ok
    // A problem the text survives, for the reader to be told (a calculator
    // file whose checksum does not match its data); may hold several lines.
    std::string warning;
    // The font size an RTF document gives its text; other files have none.
    std::optional<double> fontSizePoints;
};

}  // namespace tessaline
