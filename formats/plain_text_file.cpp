#include "formats/plain_text_file.h"

#include <algorithm>

#include "charset/byte_words.h"
#include "charset/code_writer.h"
#include "formats/text_kind.h"
#include "formats/text_memory.h"
#include "formats/utf8_codes.h"

namespace tessaline {

namespace {

using internal::CodeWriter;
using internal::isUtf8Continuation;
using internal::mayHoldLineEnd;
using internal::validUtf8;
using internal::wordAt;

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

}  // namespace

static_assert(PlainTextFile::kStartBytes == internal::kKindBytes);

bool PlainTextFile::startsPlainText(std::string_view start)
{
    return internal::textKind(start) == internal::TextKind::Plain;
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
        while (k < bytes.size() && sequenceStart_.size() < 4
               && isUtf8Continuation(static_cast<unsigned char>(bytes[k])))
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
    while (cut > 0 && bytes.size() - cut < 3 && isUtf8Continuation(static_cast<unsigned char>(bytes[cut - 1])))
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
        internal::reserveText(codes, codes.size() + room);
    CodeWriter out(codes);
    if (utf8_)
        internal::appendUtf8(lines, out);
    else
        appendCodes(lines, out);
    out.finish();
    replaced_ += out.replaced();
}

}  // namespace tessaline
