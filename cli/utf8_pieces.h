// Reading a large UTF-8 file as the editor opens it, a block of lines at a
// time, so that the whole text is never held as code points at once.
#pragma once

#include <optional>
#include <string_view>

#include "richtext/text_file.h"

namespace tessaline::cli {

// For bytes that are not RTF and hold non-ASCII: when they are UTF-8 (valid,
// or declared by a byte-order mark), the codes the file reader makes of them
// (decoded, mapped, line ends CR LF, the mark dropped), converted in blocks
// that end after an LF of the text (no character, CR LF pair or spelling runs
// across a line feed). Nothing when the bytes are not UTF-8: the file reader
// then takes them as calculator codes.
std::optional<DecodedText> decodeUtf8InPieces(std::string_view bytes, std::size_t blockBytes = std::size_t{1} << 20);

}  // namespace tessaline::cli
