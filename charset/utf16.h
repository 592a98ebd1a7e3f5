// UTF-16's surrogate pairs: how a code point beyond the Basic Multilingual
// Plane is written as two 16-bit units and read back, and what a unit
// without its other half becomes. Every reader and writer of UTF-16 (Qt's
// strings, RTF's \u, UTF-16 files) goes through these.
#pragma once

#include <cstddef>
#include <string>

namespace tessaline::charset::utf16 {

inline constexpr char32_t kHighSurrogateFirst = 0xD800;
inline constexpr char32_t kLowSurrogateFirst = 0xDC00;
inline constexpr char32_t kSurrogateEnd = 0xE000;  // one past the last low surrogate
// The first code point that takes two units, and the number of values one
// 16-bit unit takes.
inline constexpr char32_t kFirstSupplementary = 0x10000;
inline constexpr int kUnitValues = 0x10000;
inline constexpr char32_t kLastCodePoint = 0x10FFFF;
// What a unit without its other half, and any other value that is no
// character, is read as.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;
// Each half of a pair carries ten bits of the code point's offset from
// kFirstSupplementary.
inline constexpr int kHalfBits = 10;
inline constexpr char32_t kHalfMask = (char32_t{1} << kHalfBits) - 1;

constexpr bool isHighSurrogate(char32_t unit) { return unit >= kHighSurrogateFirst && unit < kLowSurrogateFirst; }
constexpr bool isLowSurrogate(char32_t unit) { return unit >= kLowSurrogateFirst && unit < kSurrogateEnd; }
constexpr bool isSurrogate(char32_t value) { return value >= kHighSurrogateFirst && value < kSurrogateEnd; }

// Whether `value` is a character: not a surrogate, not beyond U+10FFFF.
constexpr bool isScalarValue(char32_t value) { return value <= kLastCodePoint && !isSurrogate(value); }

// How many units the character `c` takes: 1 or 2.
constexpr std::size_t unitCount(char32_t c) { return c >= kFirstSupplementary ? 2 : 1; }

// The code point of a high and a low surrogate.
constexpr char32_t combine(char32_t high, char32_t low)
{
    return kFirstSupplementary + ((high - kHighSurrogateFirst) << kHalfBits) + (low - kLowSurrogateFirst);
}

// The two halves of a character of two units.
constexpr char16_t highHalf(char32_t c)
{
    return static_cast<char16_t>(kHighSurrogateFirst + ((c - kFirstSupplementary) >> kHalfBits));
}
constexpr char16_t lowHalf(char32_t c)
{
    return static_cast<char16_t>(kLowSurrogateFirst + ((c - kFirstSupplementary) & kHalfMask));
}

// Appends the unit or units of the character `c`.
inline void append(char32_t c, std::u16string& out)
{
    if (unitCount(c) == 2) {
        out.push_back(highHalf(c));
        out.push_back(lowHalf(c));
    } else {
        out.push_back(static_cast<char16_t>(c));
    }
}

// Units read one at a time, the halves of a pair joined: take() gives the
// characters each unit completes to `emit` (none, one or two), finish() the
// one a high surrogate at the end stands for. A surrogate without its other
// half is kReplacementCharacter, and the unit after a lone high surrogate is
// read afresh.
class UnitReader {
public:
    template <typename Emit>
    void take(char32_t unit, Emit&& emit)
    {
        if (high_ != 0) {
            const char32_t high = high_;
            high_ = 0;
            if (isLowSurrogate(unit)) {
                emit(combine(high, unit));
                return;
            }
            emit(kReplacementCharacter);
        }
        if (isHighSurrogate(unit))
            high_ = unit;
        else
            emit(isLowSurrogate(unit) ? kReplacementCharacter : unit);
    }

    template <typename Emit>
    void finish(Emit&& emit)
    {
        if (high_ != 0) {
            high_ = 0;
            emit(kReplacementCharacter);
        }
    }

    // Whether a high surrogate waits for its other half.
    bool holdsHalf() const { return high_ != 0; }

private:
    char32_t high_ = 0;
};

}  // namespace tessaline::charset::utf16
