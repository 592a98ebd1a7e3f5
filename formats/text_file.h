// Reading a text file the way Open Text does: RTF, a calculator text-variable
// file, UTF-8 or 8-bit calculator codes, with every line end made CR LF.
#pragma once

#include <string_view>

#include "formats/decoded_text.h"
#include "formats/plain_text_file.h"
#include "formats/text_file_reader.h"

namespace tessaline {

// A file starting with "{\rtf" is read as RTF. A file with the signature of a
// TI-89 or TI-92 Plus / Voyage 200 variable file gives its text variables'
// lines without their mode bytes, the variables in file order (readCalcFile(),
// joinCalcTexts()); one that does not hold together is refused. A file
// starting with a byte-order mark is UTF-8, UTF-16 or UTF-32 (either byte
// order) as the mark says: it is decoded and mapped to codes, and what cannot
// be decoded is a replaced "?". Otherwise valid UTF-8 holding non-ASCII is
// decoded and mapped to codes, and any other bytes are taken as calculator
// codes.
DecodedText decodeTextFile(std::string_view bytes);

}  // namespace tessaline
