// UTF-16 and UTF-32 text to calculator codes. Internal to the file formats.
#pragma once

#include <string_view>

#include "charset/code_writer.h"
#include "formats/text_kind.h"

namespace tessaline::internal {

// The codes of UTF-16 or UTF-32 text in `encoding` (after its byte-order
// mark), converted a run at a time. A surrogate without its other half, a
// value beyond U+10FFFF and bytes left over at the end that make no whole
// unit each read as U+FFFD, one replaced "?".
void appendWide(std::string_view bytes, WideEncoding encoding, CodeWriter& out);

}  // namespace tessaline::internal
