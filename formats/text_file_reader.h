// Reading a text file as Open Text reads it, a piece at a time.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "formats/decoded_text.h"
#include "formats/plain_text_file.h"

namespace tessaline {

// decodeTextFile a piece at a time, for a caller that hands the codes on as
// they come and need not hold them all. The kind of file is settled when the
// reader is made; `bytes` must outlive it. UTF-8 and 8-bit text come in
// pieces of about `pieceBytes` bytes of the file, each but the last ending
// with CR LF; RTF, calculator files and UTF-16/32 text come as one piece.
// The pieces joined are decodeTextFile's codes.
class TextFileReader {
public:
    explicit TextFileReader(std::string_view bytes, std::size_t pieceBytes = std::size_t{1} << 20);

    // Whether the file can be read; when not, error() says why and there
    // are no pieces.
    bool ok() const { return whole_.ok; }
    const std::string& error() const { return whole_.error; }

    // Appends the codes of the next piece to `codes`, whose text must be
    // empty or end a line; false when no piece is left.
    bool next(std::string& codes);

    // What decodeTextFile tells besides the codes, complete once next() has
    // returned false.
    std::size_t replaced() const { return plain_ ? plainText_.replaced() : whole_.replaced; }
    const std::string& warning() const { return whole_.warning; }
    std::optional<double> fontSizePoints() const { return whole_.fontSizePoints; }

private:
    std::size_t pieceEnd() const;

    std::string_view bytes_;  // the plain text still to read
    std::size_t pieceBytes_;
    bool plain_ = false;  // a plain text file, read in pieces; else read whole
    PlainTextFile plainText_;
    bool done_ = false;
    DecodedText whole_;  // the result so far; the codes of a file read whole
};

}  // namespace tessaline
