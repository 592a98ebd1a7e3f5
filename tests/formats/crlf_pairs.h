// Whether a text's line ends are all CR LF pairs, as the readers promise.
#pragma once

#include <string_view>

namespace tessaline {

// True when every CR is followed by LF and every LF follows a CR.
inline bool onlyCrLfPairs(std::string_view codes)
{
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == '\r' && (i + 1 == codes.size() || codes[i + 1] != '\n'))
            return false;
        if (codes[i] == '\n' && (i == 0 || codes[i - 1] != '\r'))
            return false;
    }
    return true;
}

}  // namespace tessaline
