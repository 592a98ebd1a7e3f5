// Plain ASCII input, read as the editor opens a file, without the general
// file reader: such bytes are taken as calculator codes as they are and only
// their line ends become CR LF.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaline::cli {

enum class PlainText {
    CrLfAscii,   // ASCII with every line end already CR LF: the codes are the bytes
    Ascii,       // ASCII with some lone CR or LF
    Other,       // RTF ("{\rtf" at the start) or bytes above 127: for the file reader
};

PlainText classify(std::string_view bytes);

// True when no byte is above 127.
bool isAscii(std::string_view bytes);

// For ASCII bytes that are not RTF: the bytes with every lone CR and lone LF
// made CR LF, as the file reader gives them.
std::string withCrLfLineEnds(std::string_view bytes);

}  // namespace tessaline::cli
