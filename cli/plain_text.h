// Recognizing input that reading as the editor opens a file would leave as it is.
#pragma once

#include <string_view>

namespace tessaline::cli {

// True when `bytes` does not start with "{\rtf", holds no byte above 127 and
// has every line end already as CR LF (no lone CR, no lone LF). Such a text is
// plain ASCII with CR LF line ends, which decodeTextFile returns unchanged, so
// the copy it makes can be skipped.
bool decodesToItself(std::string_view bytes);

}  // namespace tessaline::cli
