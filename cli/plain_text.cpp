#include "cli/plain_text.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tessaline::cli {

namespace {

// Whether the byte at k, if it is a CR or LF, belongs to a CR LF pair.
bool pairedIfLineEnd(const unsigned char* p, std::size_t n, std::size_t k)
{
    if (p[k] == '\r') {
        return k + 1 < n && p[k + 1] == '\n';
    }
    if (p[k] == '\n') {
        return k > 0 && p[k - 1] == '\r';
    }
    return true;
}

}  // namespace

bool decodesToItself(std::string_view bytes)
{
    if (bytes.substr(0, 5) == "{\\rtf") {
        return false;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    // Eight bytes at a time: none may have its high bit set, and only a word
    // holding a byte below 14 (so possibly CR or LF) is looked at closely.
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    constexpr std::uint64_t kFourteen = 0x0E0E0E0E0E0E0E0Eull;
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, p + k, sizeof word);
        if (word & kHigh) {
            return false;
        }
        if ((word - kFourteen) & ~word & kHigh) {
            for (std::size_t j = k; j < k + 8; ++j) {
                if (!pairedIfLineEnd(p, n, j)) {
                    return false;
                }
            }
        }
    }
    for (; k < n; ++k) {
        if ((p[k] & 0x80) || !pairedIfLineEnd(p, n, k)) {
            return false;
        }
    }
    return true;
}

}  // namespace tessaline::cli
