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

// A plain text file (neither RTF, nor a calculator file, nor UTF-16/32 with
// a byte-order mark) read as decodeTextFile reads it, but from bytes that
// arrive a piece at a time and are read twice: once to settle how the text is
// encoded, once to decode it. Pieces may be cut anywhere.
class PlainTextFile {
public:
    // The bytes it takes to tell a plain text file from the others.
    static constexpr std::size_t kStartBytes = 8;
    // Whether a file that begins with `start` (its first kStartBytes bytes,
    // or all of it when shorter) is a plain text file.
    static bool startsPlainText(std::string_view start);

    // The first reading: the file's bytes in order.
    void check(std::string_view bytes);
    // The second reading, once every byte was checked: the file's bytes in
    // order. Appends to `codes` (whose text must be empty or end a line) the
    // codes of the lines the bytes so far complete, CR LF line ends; the rest
    // waits for the next bytes.
    void decode(std::string_view bytes, std::string& codes);
    // decode() for the last bytes, which need not end a line.
    void finish(std::string_view bytes, std::string& codes);

    // Characters transliterated or replaced by "?" so far.
    std::size_t replaced() const { return replaced_; }

private:
    void settle();
    // `bytes` of the second reading without what they hold of a byte-order mark.
    std::string_view withoutMark(std::string_view bytes);
    void decodeLines(std::string_view lines, std::string& codes);

    std::string start_;          // the first bytes, up to a byte-order mark's length
    std::string sequenceStart_;  // checked bytes that may begin a sequence the next bytes end
    bool valid_ = true;          // UTF-8 so far
    bool high_ = false;          // a byte above 127 was seen
    bool decoding_ = false;
    bool utf8_ = false;         // decoded as UTF-8 (else as codes)
    std::size_t markLeft_ = 0;  // bytes of the byte-order mark still to skip
    std::string waiting_;       // decode(): the bytes after the last LF
    std::size_t replaced_ = 0;
};

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
