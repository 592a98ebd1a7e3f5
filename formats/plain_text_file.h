// A plain text file (UTF-8 or 8-bit calculator codes) read from bytes that
// arrive a piece at a time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline {

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

}  // namespace tessaline
