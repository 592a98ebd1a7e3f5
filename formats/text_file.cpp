#include "formats/text_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>

#include "charset/charset.h"
#include "charset/code_writer.h"
#include "formats/calc_text_file.h"
#include "formats/rtf.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tessaline {

namespace {

using internal::CodeWriter;

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHigh = 0x8080808080808080ull;
// A piece of text converted as code points ends at the first place after
// this many bytes where it may end, so that memory stays bounded whatever the
// text.
constexpr std::size_t kLongestPiece = std::size_t{1} << 16;

std::uint64_t wordAt(const unsigned char* p)
{
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Whether a byte of `word` is below 14 (maybe a CR or LF); bytes above 127 never count.
bool mayHoldLineEnd(std::uint64_t word) { return (((word & ~kHigh) - 14 * kOnes) & ~word & kHigh) != 0; }

bool printable(unsigned char b) { return b >= 0x20 && b < 0x7F; }

// How many of the eight bytes at `p` are printable ASCII (32 to 126) before
// the first that is not.
std::size_t printableAsciiPrefix(const unsigned char* p)
{
    if constexpr (std::endian::native == std::endian::little) {
        // The high bit of each byte that is not printable; a borrow may also
        // mark a printable byte, but only one after a byte that is not.
        const std::uint64_t word = wordAt(p);
        const std::uint64_t below32 = (word - 0x20 * kOnes) & ~word & kHigh;
        const std::uint64_t del = word ^ (0x7F * kOnes);
        const std::uint64_t is127 = (del - kOnes) & ~del & kHigh;
        const std::uint64_t stop = (word & kHigh) | below32 | is127;
        return stop == 0 ? 8 : static_cast<std::size_t>(std::countr_zero(stop)) / 8;
    } else {
        std::size_t k = 0;
        while (k < 8 && printable(p[k]))
            ++k;
        return k;
    }
}

// When the eight bytes at `p` are ASCII and whole sequences of two bytes
// (U+0080 to U+07FF), how many of them to step over: 8, or 7 when the last
// begins a sequence. Otherwise 0, and the bytes must be looked at one by one.
std::size_t asciiAndTwoByteSequences(const unsigned char* p)
{
    if constexpr (std::endian::native == std::endian::little) {
        // The high bit of each byte that is a continuation (10xxxxxx), and of
        // each that leads two bytes (110xxxxx) without being C0 or C1.
        const std::uint64_t word = wordAt(p);
        const std::uint64_t high = word & kHigh;
        const std::uint64_t continuations = word & ~(word << 1) & kHigh;
        const std::uint64_t notOverlong = ((word & (0x1E * kOnes)) + 0x7F * kOnes) & kHigh;
        const std::uint64_t leads = word & (word << 1) & ~(word << 2) & notOverlong & kHigh;
        const std::uint64_t lastByte = std::uint64_t{0x80} << 56;
        // Each continuation right after a lead, each lead but the last byte
        // followed by one, and no other byte above 127.
        if (high != (leads | continuations) || continuations != (leads & ~lastByte) << 8)
            return 0;
        return (leads & lastByte) != 0 ? 7 : 8;
    } else {
        return 0;
    }
}

// A combining mark (U+0300 to U+036F) starts with the byte CC or CD; it may
// join the character in front of it into another spelling.
bool markLead(unsigned char b) { return b == 0xCC || b == 0xCD; }

bool continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Reserves room for `bytes` in `out`. A text of many megabytes is asked to
// live on large pages where the system offers them: filling it then takes one
// page fault per 2 MB instead of one per 4 KB, which on a 100 MB file is most
// of the time decoding takes.
void reserveText(std::string& out, std::size_t bytes)
{
    out.reserve(bytes);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kLargePage = std::uintptr_t{1} << 21;
    if (bytes >= 16 * kLargePage) {
        const auto at = reinterpret_cast<std::uintptr_t>(out.data());
        const std::uintptr_t from = (at + kLargePage - 1) & ~(kLargePage - 1);
        const std::uintptr_t to = (at + out.capacity()) & ~(kLargePage - 1);
        if (to > from)
            madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);  // a hint: failure changes nothing
    }
#endif
}

// Bytes taken as calculator codes, copied eight at a time where no CR or LF
// may be among them.
void appendCodes(std::string_view bytes, CodeWriter& out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t k = 0;
    while (k < n) {
        const std::size_t from = k;
        while (k + 8 <= n && !mayHoldLineEnd(wordAt(p + k)))
            k += 8;
        while (k < n && p[k] != '\r' && p[k] != '\n')
            ++k;
        out.run(bytes.data() + from, k - from);
        if (k == n)
            break;
        out.code(static_cast<char>(p[k++]));
    }
}

// Whether `bytes` is UTF-8 that charset::decodeUtf8 reads without a
// replacement: every sequence whole and as short as it can be, no surrogate,
// nothing beyond U+10FFFF.
bool validUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t k = 0;
    while (k < n) {
        if (k + 8 <= n) {
            const std::size_t whole = asciiAndTwoByteSequences(p + k);
            k += whole;
            if (whole > 0)
                continue;
        }
        const charset::Utf8Sequence sequence = charset::readUtf8Sequence(bytes.substr(k));
        if (!sequence.codePoint)
            return false;
        k += sequence.length;
    }
    return true;
}

// The codes of the characters of two UTF-8 bytes (U+0080 to U+07FF, indexed
// by their low 11 bits) that are a whole spelling by themselves; -1 for the
// others and for CR and LF, which the writer must see as line ends.
const std::array<std::int16_t, 0x800>& twoByteCodes()
{
    static const std::array<std::int16_t, 0x800> table = [] {
        std::array<std::int16_t, 0x800> codes{};
        for (char32_t c = 0; c < 0x800; ++c) {
            const int code = c < 0x80 ? -1 : charset::soleCode(c);
            codes[c] = static_cast<std::int16_t>(code == '\r' || code == '\n' ? -1 : code);
        }
        return codes;
    }();
    return table;
}

// The codes of UTF-8 bytes. Most characters are converted here, written
// straight into the text: printable ASCII, tab, CR and LF are their own codes,
// and a character that is a whole spelling by itself is looked up. Anything
// next to a combining mark, anything without a code and any broken sequence
// goes, a piece at a time, through the character table's full conversion,
// where a broken sequence is a replaced "?". Returns the count of replaced
// characters.
std::size_t appendUtf8(std::string_view bytes, CodeWriter& out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    const std::array<std::int16_t, 0x800>& twoByte = twoByteCodes();
    charset::Conversion converted;
    std::size_t replaced = 0;
    auto markAt = [&](std::size_t k) { return k < n && markLead(p[k]); };
    // A character at k that is its own code and that no combining mark follows.
    auto ownCode = [&](std::size_t k) {
        const unsigned char b = p[k];
        return (printable(b) || b == '\t' || b == '\r' || b == '\n') && !markAt(k + 1);
    };
    // Bytes converted between two checks of the room left: each step takes
    // at most 8 bytes and writes at most twice as many codes as it takes.
    constexpr std::size_t kBlock = 4096;
    std::size_t k = 0;
    while (k < n) {
        const std::size_t blockEnd = k + std::min(n - k, kBlock);
        char* o = out.room(2 * (blockEnd - k) + 16);
        bool afterCr = out.afterCr();
        bool simple = true;
        while (k < blockEnd) {
            if (k + 8 <= n) {
                // The printable characters in front of the first other byte
                // are their own codes, except one that a mark follows.
                std::size_t plain = printableAsciiPrefix(p + k);
                if (plain > 0 && markAt(k + plain))
                    --plain;
                std::memcpy(o, p + k, 8);
                o += plain;
                k += plain;
                afterCr = afterCr && plain == 0;
                if (plain == 8)
                    continue;
            }
            const unsigned char b = p[k];
            int code = -1;
            std::size_t length = 1;
            if (b < 0x80) {
                if (markAt(k + 1)) {
                    simple = false;  // the character may join the mark into another spelling
                    break;
                }
                if (b == '\n' || b == '\r') {
                    if (b == '\r' || !afterCr) {
                        *o++ = '\r';
                        *o++ = '\n';
                    }
                    afterCr = b == '\r';
                    ++k;
                    continue;
                }
                if (printable(b) || b == '\t')
                    code = b;
            } else if (b >= 0xC2 && b < 0xE0) {
                length = 2;
                if (k + 2 <= n && continuation(p[k + 1]) && !markAt(k + 2))
                    code = twoByte[static_cast<std::size_t>((b & 0x1F) << 6 | (p[k + 1] & 0x3F))];
            } else if (b >= 0xE0 && b < 0xF0) {
                length = 3;
                if (k + 3 <= n && continuation(p[k + 1]) && continuation(p[k + 2]) && !markAt(k + 3)) {
                    const char32_t c = (b & 0x0Fu) << 12 | (p[k + 1] & 0x3Fu) << 6 | (p[k + 2] & 0x3Fu);
                    code = c >= 0x800 ? charset::soleCode(c) : -1;
                    if (code == '\r' || code == '\n')
                        code = -1;
                }
            }
            if (code < 0) {
                simple = false;
                break;
            }
            *o++ = static_cast<char>(code);
            afterCr = false;
            k += length;
        }
        out.done(o, afterCr);
        if (simple)
            continue;

        // The piece runs to the next character that is its own code: no
        // spelling and no UTF-8 sequence runs across an ASCII byte that no
        // mark follows. A long piece is cut before any whole sequence that
        // is not a combining mark.
        const std::size_t pieceFrom = k;
        ++k;
        while (k < n && !(p[k] < 0x80 && ownCode(k))) {
            if (k - pieceFrom >= kLongestPiece && !continuation(p[k]) && !markLead(p[k]))
                break;
            ++k;
        }
        const std::optional<std::u32string> unicode =
            charset::decodeUtf8(bytes.substr(pieceFrom, k - pieceFrom), false);
        converted.codes.clear();
        converted.replaced = 0;
        charset::appendFromUnicode(*unicode, converted);
        out.codes(converted.codes);
        replaced += converted.replaced;
    }
    return replaced;
}

// A text in UTF-16 or UTF-32, either byte order, as its byte-order mark
// declares it.
struct WideEncoding {
    std::size_t unit;  // bytes per code unit: 2 or 4
    bool bigEndian;
    std::size_t markLength;
};

// The encoding a byte-order mark at the start of `bytes` declares, when it
// is UTF-16 or UTF-32 (the UTF-32 little-endian mark begins with the UTF-16
// one, so it is looked for first).
std::optional<WideEncoding> wideEncoding(std::string_view bytes)
{
    if (bytes.starts_with(std::string_view("\xFF\xFE\0\0", 4)))
        return WideEncoding{4, false, 4};
    if (bytes.starts_with(std::string_view("\0\0\xFE\xFF", 4)))
        return WideEncoding{4, true, 4};
    if (bytes.starts_with("\xFF\xFE"))
        return WideEncoding{2, false, 2};
    if (bytes.starts_with("\xFE\xFF"))
        return WideEncoding{2, true, 2};
    return std::nullopt;
}

// The codes of UTF-16 or UTF-32 text (after its byte-order mark), converted
// a piece at a time. A surrogate without its other half, a value beyond
// U+10FFFF and bytes left over at the end that make no whole unit each read
// as U+FFFD, one replaced "?". Returns the count of replaced characters.
std::size_t appendWide(std::string_view bytes, WideEncoding encoding, CodeWriter& out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    const std::size_t unit = encoding.unit;
    auto unitAt = [&](std::size_t k) {
        char32_t value = 0;
        for (std::size_t j = 0; j < unit; ++j) {
            const char32_t byte = p[k + (encoding.bigEndian ? j : unit - 1 - j)];
            value = (value << 8) | byte;
        }
        return value;
    };
    auto isHigh = [](char32_t u) { return u >= 0xD800 && u < 0xDC00; };
    auto isLow = [](char32_t u) { return u >= 0xDC00 && u < 0xE000; };

    charset::Conversion converted;
    std::size_t replaced = 0;
    std::u32string piece;
    piece.reserve(std::min(n / unit, kLongestPiece) + 1);
    auto convertPiece = [&] {
        converted.codes.clear();
        converted.replaced = 0;
        charset::appendFromUnicode(piece, converted);
        out.codes(converted.codes);
        replaced += converted.replaced;
        piece.clear();
    };

    std::size_t k = 0;
    while (k < n) {
        char32_t c = 0xFFFD;
        if (k + unit > n) {
            k = n;  // a piece of a unit
        } else {
            const char32_t u = unitAt(k);
            k += unit;
            if (unit == 2 && isHigh(u) && k + 2 <= n && isLow(unitAt(k))) {
                c = 0x10000 + ((u - 0xD800) << 10) + (unitAt(k) - 0xDC00);
                k += 2;
            } else if (u <= 0x10FFFF && !isHigh(u) && !isLow(u)) {
                c = u;
            }
        }
        // A piece ends only where no spelling runs across the cut.
        if (piece.size() >= kLongestPiece && !charset::joinsPrevious(c))
            convertPiece();
        piece.push_back(c);
    }
    convertPiece();
    return replaced;
}

}  // namespace

bool PlainTextFile::startsPlainText(std::string_view start)
{
    return !start.starts_with("{\\rtf") && !hasCalcFileSignature(start) && !wideEncoding(start);
}

void PlainTextFile::check(std::string_view bytes)
{
    constexpr std::size_t kMarkLength = 3;
    if (start_.size() < kMarkLength)
        start_.append(bytes.substr(0, kMarkLength - start_.size()));
    high_ = high_ || std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
    if (!valid_)
        return;
    if (!sequenceStart_.empty()) {
        // The continuation bytes of a sequence begun in earlier bytes.
        std::size_t k = 0;
        while (k < bytes.size() && sequenceStart_.size() < 4 && continuation(static_cast<unsigned char>(bytes[k])))
            sequenceStart_ += bytes[k++];
        if (k == bytes.size() && sequenceStart_.size() < 4)
            return;
        valid_ = validUtf8(sequenceStart_);
        sequenceStart_.clear();
        bytes.remove_prefix(k);
        if (!valid_)
            return;
    }
    // A sequence the bytes may end in the middle of waits for the next ones:
    // from the lead byte in front of the last continuation bytes (a sequence
    // has at most three).
    std::size_t cut = bytes.size();
    while (cut > 0 && bytes.size() - cut < 3 && continuation(static_cast<unsigned char>(bytes[cut - 1])))
        --cut;
    if (cut > 0 && static_cast<unsigned char>(bytes[cut - 1]) >= 0xC0)
        --cut;
    else
        cut = bytes.size();
    valid_ = validUtf8(bytes.substr(0, cut));
    sequenceStart_.assign(bytes.substr(cut));
}

void PlainTextFile::settle()
{
    decoding_ = true;
    if (valid_ && !sequenceStart_.empty())
        valid_ = validUtf8(sequenceStart_);
    // A byte-order mark declares UTF-8, even where a sequence is broken.
    // Without one, valid UTF-8 holding a byte above 127 is UTF-8, and any
    // other bytes are codes.
    const bool mark = start_ == "\xEF\xBB\xBF";
    utf8_ = mark || (valid_ && high_);
    markLeft_ = mark ? start_.size() : 0;
}

std::string_view PlainTextFile::withoutMark(std::string_view bytes)
{
    if (!decoding_)
        settle();
    const std::size_t mark = std::min(markLeft_, bytes.size());
    markLeft_ -= mark;
    return bytes.substr(mark);
}

void PlainTextFile::decode(std::string_view bytes, std::string& codes)
{
    bytes = withoutMark(bytes);
    if (!waiting_.empty()) {
        const std::size_t lf = bytes.find('\n');
        if (lf == std::string_view::npos) {
            waiting_.append(bytes);
            return;
        }
        waiting_.append(bytes.substr(0, lf + 1));
        decodeLines(waiting_, codes);
        waiting_.clear();
        bytes.remove_prefix(lf + 1);
    }
    const std::size_t lastLf = bytes.rfind('\n');
    if (lastLf == std::string_view::npos) {
        waiting_.assign(bytes);
        return;
    }
    decodeLines(bytes.substr(0, lastLf + 1), codes);
    waiting_.assign(bytes.substr(lastLf + 1));
}

void PlainTextFile::finish(std::string_view bytes, std::string& codes)
{
    bytes = withoutMark(bytes);
    if (waiting_.empty()) {
        decodeLines(bytes, codes);
    } else {
        waiting_.append(bytes);
        decodeLines(waiting_, codes);
        waiting_.clear();
    }
}

void PlainTextFile::decodeLines(std::string_view lines, std::string& codes)
{
    // Line ends may grow by a byte each; room for a few saves copying.
    const std::size_t room = lines.size() + lines.size() / 16 + 16;
    if (codes.capacity() - codes.size() < room)
        reserveText(codes, codes.size() + room);
    CodeWriter out(codes);
    if (utf8_)
        replaced_ += appendUtf8(lines, out);
    else
        appendCodes(lines, out);
    out.finish();
}

TextFileReader::TextFileReader(std::string_view bytes, std::size_t pieceBytes)
    : pieceBytes_(std::max<std::size_t>(pieceBytes, 1))
{
    DecodedText& d = whole_;
    if (PlainTextFile::startsPlainText(bytes.substr(0, PlainTextFile::kStartBytes))) {
        d.ok = true;
        plain_ = true;
        plainText_.check(bytes);
        bytes_ = bytes;
        done_ = bytes.empty();
        return;
    }
    if (bytes.starts_with("{\\rtf")) {
        rtf::ReadResult r = rtf::read(bytes);
        d.ok = r.ok;
        d.codes = std::move(r.codes);
        d.replaced = r.replaced;
        d.error = std::move(r.error);
        if (r.ok)
            d.fontSizePoints = r.fontSizePoints;
        return;
    }
    if (hasCalcFileSignature(bytes)) {
        CalcReadResult r = readCalcFile(bytes);
        d.ok = r.ok;
        if (r.ok)
            d.codes = joinCalcTexts(r.variables);
        d.error = std::move(r.error);
        d.warning = std::move(r.warning);
        return;
    }
    // UTF-16 or UTF-32, as a byte-order mark declares.
    d.ok = true;
    const WideEncoding wide = *wideEncoding(bytes);
    bytes.remove_prefix(wide.markLength);
    reserveText(d.codes, bytes.size() / wide.unit + bytes.size() / 32 + 16);
    CodeWriter out(d.codes);
    d.replaced = appendWide(bytes, wide, out);
    out.finish();
}

std::size_t TextFileReader::pieceEnd() const
{
    // After an LF, so that the next piece begins a line.
    const std::size_t lf = pieceBytes_ < bytes_.size() ? bytes_.find('\n', pieceBytes_ - 1) : std::string_view::npos;
    return lf == std::string_view::npos ? bytes_.size() : lf + 1;
}

bool TextFileReader::next(std::string& codes)
{
    if (done_ || !whole_.ok)
        return false;
    if (!plain_) {
        done_ = true;
        if (codes.empty())
            codes = std::move(whole_.codes);
        else
            codes += whole_.codes;
        std::string().swap(whole_.codes);
        return true;
    }
    const std::size_t end = pieceEnd();
    const std::string_view piece = bytes_.substr(0, end);
    bytes_.remove_prefix(end);
    done_ = bytes_.empty();
    if (done_)
        plainText_.finish(piece, codes);
    else
        plainText_.decode(piece, codes);
    return true;
}

DecodedText decodeTextFile(std::string_view bytes)
{
    TextFileReader reader(bytes, bytes.size());
    DecodedText d;
    d.ok = reader.ok();
    d.error = reader.error();
    while (reader.next(d.codes)) {}
    d.replaced = reader.replaced();
    d.warning = reader.warning();
    d.fontSizePoints = reader.fontSizePoints();
    return d;
}

}  // namespace tessaline
