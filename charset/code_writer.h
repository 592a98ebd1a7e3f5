// Appending calculator codes with every line end made CR LF as the codes
// arrive. Internal to the character set and the file formats.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

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
};

}  // namespace tessaline::internal
