#include "cli/plain_text.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tessaline::cli {

namespace {

constexpr std::uint64_t kHigh = 0x8080808080808080ull;
constexpr std::uint64_t kFourteen = 0x0E0E0E0E0E0E0E0Eull;

std::uint64_t wordAt(const unsigned char* p)
{
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// For a word without high bits: whether a byte below 14 (maybe CR or LF) is in it.
bool mayHoldLineEnd(std::uint64_t word)
{
    return ((word - kFourteen) & ~word & kHigh) != 0;
}

// A CR or LF at k that is not part of a CR LF pair.
bool loneLineEnd(const unsigned char* p, std::size_t n, std::size_t k)
{
    if (p[k] == '\r') {
        return k + 1 >= n || p[k + 1] != '\n';
    }
    if (p[k] == '\n') {
        return k == 0 || p[k - 1] != '\r';
    }
    return false;
}

}  // namespace

PlainText classify(std::string_view bytes)
{
    if (bytes.substr(0, 5) == "{\\rtf") {
        return PlainText::Other;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    bool lone = false;
    // Eight bytes at a time: none may have its high bit set, and only a word
    // holding a byte below 14 is looked at closely.
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        const std::uint64_t word = wordAt(p + k);
        if (word & kHigh) {
            return PlainText::Other;
        }
        if (!lone && mayHoldLineEnd(word)) {
            for (std::size_t j = k; j < k + 8; ++j) {
                lone = lone || loneLineEnd(p, n, j);
            }
        }
    }
    for (; k < n; ++k) {
        if (p[k] & 0x80) {
            return PlainText::Other;
        }
        lone = lone || loneLineEnd(p, n, k);
    }
    return lone ? PlainText::Ascii : PlainText::CrLfAscii;
}

bool isAscii(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        if (wordAt(p + k) & kHigh) {
            return false;
        }
    }
    for (; k < n; ++k) {
        if (p[k] & 0x80) {
            return false;
        }
    }
    return true;
}

std::string withCrLfLineEnds(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::string out;
    out.reserve(n + n / 32 + 64);
    std::size_t copied = 0;
    auto fix = [&](std::size_t j) {
        if (loneLineEnd(p, n, j)) {
            out.append(bytes.data() + copied, j - copied);
            out.append("\r\n", 2);
            copied = j + 1;
        }
    };
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        if (mayHoldLineEnd(wordAt(p + k) & ~kHigh)) {
            for (std::size_t j = k; j < k + 8; ++j) {
                fix(j);
            }
        }
    }
    for (; k < n; ++k) {
        fix(k);
    }
    out.append(bytes.data() + copied, n - copied);
    return out;
}

}  // namespace tessaline::cli
