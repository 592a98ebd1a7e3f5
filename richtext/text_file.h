// Reading a text file the way Open Text does: RTF, a calculator text-variable
// file, UTF-8 or 8-bit calculator codes, with every line end made CR LF.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessaline {

struct DecodedText {
    bool ok = false;
    std::string codes;         // CR LF line ends
    std::size_t replaced = 0;  // characters transliterated or replaced by "?"
    std::string error;         // why, when !ok
    // A problem the text survives, for the reader to be told (a calculator
    // file whose checksum does not match its data); may hold several lines.
    std::string warning;
    // The font size an RTF document gives its text; other files have none.
    std::optional<double> fontSizePoints;
};

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
    std::size_t replaced() const { return whole_.replaced; }
    const std::string& warning() const { return whole_.warning; }
    std::optional<double> fontSizePoints() const { return whole_.fontSizePoints; }

private:
    enum class Kind { Whole, Codes, Utf8 };

    std::size_t pieceEnd() const;

    std::string_view bytes_;  // the text still to read (Codes and Utf8)
    std::size_t pieceBytes_;
    Kind kind_ = Kind::Whole;
    bool done_ = false;
    DecodedText whole_;  // the result so far; the codes of a Whole file
};

}  // namespace tessaline
