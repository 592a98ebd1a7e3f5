// Generated texts for runs through the windows: words of 1 to 11 letters,
// single spaces, a CR LF now and then; the same text for the same start.
#pragma once

#include <cstddef>
#include <string>

namespace tessaline {

inline std::string wordText(std::size_t length, unsigned start = 7)
{
    std::string text;
    text.reserve(length + 16);
    unsigned state = start;
    while (text.size() < length) {
        state = state * 1103515245u + 12345u;
        const unsigned wordLength = 1 + (state >> 16) % 11;
        for (unsigned i = 0; i < wordLength; ++i)
            text.push_back(static_cast<char>('a' + (state >> (i % 16)) % 26));
        text += ((state >> 8) % 37 == 0) ? "\r\n" : " ";
    }
    text.resize(length);
    if (!text.empty() && text.back() == '\r')
        text.back() = 'x';  // no half line end
    return text;
}

}  // namespace tessaline
