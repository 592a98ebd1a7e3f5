// The longest text one variable holds, for the tests of the formats, the
// window and the command line to save the same text.
#pragma once

#include <string>

#include "formats/calc_text_file.h"

namespace tessaline {

// 65,513 characters on CR LF lines of at most 29 characters, without a
// closing line end: with each line's mode byte and the separators between
// lines it fills a variable exactly.
inline std::string fullVariableText()
{
    std::string text;
    while (text.size() < kMaxVariableText - 1)
        text += std::string(text.size() % 30, 'w') + "\r\n";
    text.resize(kMaxVariableText - 1);
    return text;
}

}  // namespace tessaline
