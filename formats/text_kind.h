// Telling the kinds of text file apart by their first bytes. Internal to the
// file formats.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tessaline::internal {

enum class TextKind {
    Rtf,   // starts with "{\rtf"
    Calc,  // a calculator variable file's signature
    Wide,  // UTF-16 or UTF-32 with a byte-order mark
    Plain  // anything else: UTF-8 (with or without a mark) or 8-bit codes
};

// The bytes it takes to tell the kinds apart.
inline constexpr std::size_t kKindBytes = 8;

// The kind of a file that begins with `start` (its first kKindBytes bytes,
// or all of it when shorter).
TextKind textKind(std::string_view start);

// A text in UTF-16 or UTF-32, either byte order, as its byte-order mark
// declares it.
struct WideEncoding {
    std::size_t unit;  // bytes per code unit: 2 or 4
    bool bigEndian;
    std::size_t markLength;
};

// The encoding a byte-order mark at the start of `bytes` declares, when it
// is UTF-16 or UTF-32.
std::optional<WideEncoding> wideEncoding(std::string_view bytes);

}  // namespace tessaline::internal
