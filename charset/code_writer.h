// Appending calculator codes with every line end made CR LF as the codes
// arrive, from codes or from Unicode text. Internal to the character set and
// the file formats.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "charset/charset.h"
#include "charset/utf16.h"

namespace tessaline::internal {

// Appends codes to a text, turning CR LF, lone CR and lone LF into CR LF as
// they arrive: once finish() is called, the text is the line ends of
// everything appended so far made CR LF, even where a CR and its LF arrived in
// different calls. The codes are written through a pointer into the string,
// which is lengthened ahead of them a chunk at a time: until finish() its
// length is not the text's.
class CodeWriter {
public:
    // Appends to what `out` holds, which is taken to end a line or be empty.
    explicit CodeWriter(std::string& out) : out_(out), written_(out.size()) {}
    CodeWriter(const CodeWriter&) = delete;
    CodeWriter& operator=(const CodeWriter&) = delete;

    // Codes known to hold no CR and no LF.
    void run(const char* data, std::size_t size)
    {
        if (size == 0)
            return;
        std::memcpy(room(size), data, size);
        written_ += size;
        afterCr_ = false;
    }

    void code(char c)
    {
        if (c == '\n' && afterCr_) {
            afterCr_ = false;
            return;
        }
        char* at = room(2);
        if (c == '\r' || c == '\n') {
            at[0] = '\r';
            at[1] = '\n';
            written_ += 2;
        } else {
            at[0] = c;
            written_ += 1;
        }
        afterCr_ = c == '\r';
    }

    void codes(std::string_view text)
    {
        while (!text.empty()) {
            const std::size_t end = text.find_first_of("\r\n");
            if (end == std::string_view::npos) {
                run(text.data(), text.size());
                return;
            }
            run(text.data(), end);
            code(text[end]);
            text.remove_prefix(end + 1);
        }
    }

    // The codes of Unicode text as charset::appendFromUnicode converts it,
    // its line ends made CR LF as codes() makes them; the characters it
    // replaces are counted in replaced(). Text converted in several calls
    // should be cut only before a character that does not join the one in
    // front of it (charset::joinsPrevious).
    void unicode(std::u32string_view text)
    {
        if (text.empty())
            return;
        converted_.codes.clear();
        converted_.replaced = 0;
        charset::appendFromUnicode(text, converted_);
        codes(converted_.codes);
        replaced_ += converted_.replaced;
    }
    // Characters that unicode() transliterated or replaced by "?".
    std::size_t replaced() const { return replaced_; }

    // For a caller that writes many codes itself: a place to write at least
    // `size` codes, then done(end, afterCr) with the end of what it wrote and
    // whether that ends with a CR (a CR is written as CR LF there too, and an
    // LF that follows it is dropped).
    char* room(std::size_t size)
    {
        if (out_.size() - written_ < size) [[unlikely]]
            out_.resize(std::max(written_ + size, out_.size() + kChunk));
        return out_.data() + written_;
    }
    void done(const char* end, bool afterCr)
    {
        written_ = static_cast<std::size_t>(end - out_.data());
        afterCr_ = afterCr;
    }
    bool afterCr() const { return afterCr_; }

    bool empty() const { return written_ == 0; }
    char back() const { return out_[written_ - 1]; }

    // Gives the string the text's length. Writing may go on afterwards.
    void finish() { out_.resize(written_); }

private:
    static constexpr std::size_t kChunk = std::size_t{1} << 16;

    std::string& out_;
    std::size_t written_ = 0;  // the text's length; the string may be longer
    bool afterCr_ = false;     // the last code appended was a CR (written as CR LF)
    std::size_t replaced_ = 0;
    charset::Conversion converted_;  // unicode(): the codes of its text, before line ends
};

// Unicode text on its way into a CodeWriter, held back until it can be
// converted: a character and the combining marks after it must meet, and so
// must the two halves of a surrogate pair. A run is converted by flush(), and
// once it holds kLongestRun characters at the next character that does not
// join the one in front of it, so that memory stays bounded however long the
// text runs without a flush.
class PendingUnicode {
public:
    static constexpr std::size_t kLongestRun = std::size_t{1} << 16;

    explicit PendingUnicode(CodeWriter& out) : out_(out) {}
    PendingUnicode(const PendingUnicode&) = delete;
    PendingUnicode& operator=(const PendingUnicode&) = delete;

    // A character.
    void push(char32_t c)
    {
        if (run_.size() >= kLongestRun && !charset::joinsPrevious(c))
            convert();
        run_.push_back(c);
    }
    // A UTF-16 unit (or a character beyond them): the halves of a pair are
    // joined, a half without the other is charset::utf16::kReplacementCharacter.
    void pushUnit(char32_t unit)
    {
        units_.take(unit, [this](char32_t c) { push(c); });
    }

    // Converts what is held; a high surrogate still waiting for its other
    // half is a replaced character.
    void flush()
    {
        units_.finish([this](char32_t c) { push(c); });
        convert();
    }

    bool empty() const { return run_.empty() && !units_.holdsHalf(); }

private:
    void convert()
    {
        out_.unicode(run_);
        run_.clear();
    }

    CodeWriter& out_;
    std::u32string run_;
    charset::utf16::UnitReader units_;
};

}  // namespace tessaline::internal
