// UTF-8 bytes to calculator codes, two ways that must give the same codes
// and the same count of replaced characters: the plain path, one character
// at a time through the character table's full conversion, and the fast path,
// which steps over plain ASCII eight bytes at a time, looks the common
// characters up in a table and hands the rest to the plain path a piece at a
// time. Internal to the file formats.
#pragma once

#include <string_view>

#include "charset/code_writer.h"

namespace tessaline::internal {

// The plain path: decodes `bytes` whole (a broken sequence is one replaced
// "?") and converts the characters. It holds four bytes per byte of `bytes`
// meanwhile; `bytes` must not end before a combining mark.
void appendUtf8Plain(std::string_view bytes, CodeWriter& out);

// The fast path, for bytes of any length; they must not end before a
// combining mark (a text cut at an LF does not).
void appendUtf8(std::string_view bytes, CodeWriter& out);

// Whether `bytes` is UTF-8 that charset::decodeUtf8 reads without a
// replacement: every sequence whole and as short as it can be, no surrogate,
// nothing beyond U+10FFFF. Fast, eight bytes at a time where it can.
bool validUtf8(std::string_view bytes);

}  // namespace tessaline::internal
