// The line-break pass for batch work: fixed settings, fixed word wrap, no
// hooks. Without progress to report, the pass need not visit the characters
// one by one as the hook version does: it looks for the end of each line and
// copies whole lines. Its output and counts are those of the hook version
// (the tests hold both against the literal in-place pass).
//
// A line starts at the start of the text, at a CR or LF of the text, or behind
// an inserted break, with its counters at 0. For the break decision only
// three facts about a line are needed: where it overflows, where its last
// space is, and whether the pixels in front of that space sum to 0 (then the
// pixel sums LinePixels and WordPixels are equal and the break is hard).

#include <algorithm>
#include <cstring>

#include "engine/line_break_pass.h"
#include "engine/pass_messages.h"

namespace tessaline {

namespace {

constexpr char kCr = 13;
constexpr char kLf = 10;
constexpr char kSpace = 32;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Output into a string.
class StringOutput {
public:
    explicit StringOutput(std::string& out) : out_(out) {}
    void append(const char* p, std::size_t n) { out_.append(p, n); }
    std::size_t size() const { return out_.size(); }
    char secondToLast() const { return out_[out_.size() - 2]; }

private:
    std::string& out_;
};

// Output handed to a sink in pieces.
class ChunkOutput {
public:
    ChunkOutput(const std::function<bool(std::string_view)>& sink, std::size_t chunk)
        : sink_(sink), chunk_(std::max<std::size_t>(chunk, 1))
    {
        buffer_.reserve(chunk_);
    }
    void append(const char* p, std::size_t n)
    {
        if (n >= 2) {
            last_[0] = p[n - 2];
            last_[1] = p[n - 1];
        } else if (n == 1) {
            last_[0] = last_[1];
            last_[1] = p[0];
        }
        size_ += n;
        while (n > 0) {
            const std::size_t take = std::min(n, chunk_ - buffer_.size());
            buffer_.append(p, take);
            p += take;
            n -= take;
            if (buffer_.size() == chunk_) {
                flush();
            }
        }
    }
    void flush()
    {
        if (!buffer_.empty() && !failed_) {
            failed_ = !sink_(buffer_);
        }
        buffer_.clear();
    }
    std::size_t size() const { return size_; }
    char secondToLast() const { return last_[0]; }
    bool failed() const { return failed_; }

private:
    const std::function<bool(std::string_view)>& sink_;
    std::size_t chunk_;
    std::string buffer_;
    std::size_t size_ = 0;
    char last_[2] = {0, 0};
    bool failed_ = false;
};

struct BatchCounts {
    std::int64_t modifications = 0;
    std::optional<std::string> error;
};

template <class Output>
BatchCounts batchPass(std::string_view text, const LineSettings& settings, bool wrap, Output& out)
{
    BatchCounts counts;
    const std::size_t n = text.size();
    if (n == 0) {
        return counts;
    }
    const char* const p = text.data();
    const CharWidthTable widths = settings.CharWidths;
    const std::int64_t limit = settings.LineLimit;
    const bool pixels = settings.MeasureInPixels;
    auto width = [&widths](char c) -> std::int64_t { return widths[static_cast<unsigned char>(c)]; };
    const bool noNegative = std::all_of(widths.begin(), widths.end(), [](std::int16_t w) { return w >= 0; });

    // Whether the characters [from, to) weigh anything in sum.
    auto weighs = [&](std::size_t from, std::size_t to) {
        std::int64_t sum = 0;
        for (std::size_t k = from; k < to; ++k) {
            sum += width(p[k]);
            if (noNegative && sum != 0) {
                return true;
            }
        }
        return sum != 0;
    };

    std::size_t copied = 0;            // text[0, copied) is in the output
    std::size_t lineStart = 0;         // first character of the current line
    bool afterInsertedBreak = false;   // the current line was begun by an inserted break

    // The line [lineStart, j] overflows at j; `space` is its last space (kNone
    // without) and `usable` whether breaking there leaves something in front.
    auto insertBreak = [&](std::size_t j, std::size_t space, bool usable) {
        if (wrap && space != kNone && usable) {
            out.append(p + copied, space - copied);
            out.append("\r\n", 2);
            copied = space + 1;
            lineStart = space + 1;
            counts.modifications += 2;
        } else {
            out.append(p + copied, j - copied);
            out.append("\r\n", 2);
            copied = j;
            lineStart = j;
            counts.modifications += 1;
        }
        afterInsertedBreak = true;
    };

    if (!pixels) {
        while (lineStart < n) {
            if (limit < 1) {
                // The first character of every line overflows.
                if (afterInsertedBreak) {
                    counts.error = passMessages::tooShort(settings, static_cast<unsigned char>(p[lineStart]));
                    break;
                }
                insertBreak(lineStart, kNone, false);
                continue;
            }
            // Characters lineStart .. lineStart + limit - 1 fit; a CR or LF
            // among the next limit characters (the first one excepted, which
            // begins this line either way) begins a new line.
            const auto reach = static_cast<std::size_t>(limit);
            const std::size_t windowEnd = std::min(n, lineStart + reach + 1);
            const char* from = p + lineStart + 1;
            const std::size_t span = windowEnd - (lineStart + 1);
            const void* lf = std::memchr(from, kLf, span);
            const std::size_t crSpan = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - from) : span;
            const void* cr = std::memchr(from, kCr, crSpan);
            const void* end = cr ? cr : lf;
            if (end) {
                lineStart = static_cast<std::size_t>(static_cast<const char*>(end) - p);
                afterInsertedBreak = false;
                continue;
            }
            if (lineStart + reach >= n) {
                break;   // the rest fits
            }
            const std::size_t j = lineStart + reach;   // overflows
            std::size_t space = kNone;
            if (wrap) {
                const std::size_t found = text.substr(lineStart, reach + 1).rfind(kSpace);
                if (found != std::string_view::npos) {
                    space = lineStart + found;
                }
            }
            insertBreak(j, space, space != kNone && weighs(lineStart, space));
        }
    } else {
        std::int64_t linePixels = 0;
        std::int64_t beforeSpace = 0;   // line pixels in front of the last space
        std::size_t space = kNone;
        std::size_t j = lineStart;
        while (j < n) {
            const char c = p[j];
            if (static_cast<unsigned char>(c) <= 13 && (c == kCr || c == kLf)) [[unlikely]] {
                linePixels = 0;
                space = kNone;
            }
            if (c == kSpace) {
                space = j;
                beforeSpace = linePixels;
            }
            linePixels += width(c);
            if (linePixels > limit) [[unlikely]] {
                if (afterInsertedBreak && j == lineStart) {
                    counts.error = passMessages::tooShort(settings, static_cast<unsigned char>(c));
                    break;
                }
                insertBreak(j, space, beforeSpace != 0);
                j = lineStart;
                linePixels = 0;
                space = kNone;
                continue;
            }
            ++j;
        }
    }

    out.append(p + copied, n - copied);
    if (!counts.error && out.size() != 1 && out.secondToLast() != kCr) {
        out.append("\r\n", 2);
        counts.modifications += 1;
    }
    return counts;
}

}  // namespace

PassResult runLineBreakPass(std::string text, const LineSettings& settings, bool wordWrap)
{
    PassResult result;
    if (text.empty()) {
        return result;
    }
    result.text.reserve(text.size() + text.size() / 8 + 64);
    StringOutput out(result.text);
    BatchCounts counts = batchPass(text, settings, wordWrap, out);
    result.modificationCount = counts.modifications;
    result.error = std::move(counts.error);
    return result;
}

StreamedPass streamLineBreakPass(std::string_view text, const LineSettings& settings, bool wordWrap,
                                 const std::function<bool(std::string_view)>& sink, std::size_t chunkBytes)
{
    StreamedPass result;
    ChunkOutput out(sink, chunkBytes);
    BatchCounts counts = batchPass(text, settings, wordWrap, out);
    out.flush();
    result.size = static_cast<std::int64_t>(out.size());
    result.modificationCount = counts.modifications;
    result.error = std::move(counts.error);
    result.sinkFailed = out.failed();
    return result;
}

}  // namespace tessaline
