// The batch entry points of the line-break pass and the check that refuses a
// limit before a run.

#include "engine/line_break_pass.h"
#include "engine/line_break_pass_core.h"
#include "engine/pass_messages.h"

#include <algorithm>
#include <array>

namespace tessaline {

namespace {

// Hands the processed text to a sink in pieces of exactly `chunk` characters
// while the pass runs; the rest goes when it ends.
class PieceOutput {
public:
    static constexpr bool kHandsOn = true;

    PieceOutput(const std::function<bool(std::string_view)>& sink, std::size_t chunk) : sink_(sink), chunk_(chunk) {}

    // A run of characters copied in one piece stays short enough that the
    // buffer holds little more than one piece.
    std::size_t longestRun() const { return chunk_; }

    // Hands on the whole pieces at the front of `finished`; returns how many
    // characters went.
    std::size_t handOn(std::string_view finished)
    {
        std::size_t given = 0;
        while (finished.size() - given >= chunk_) {
            offer(finished.substr(given, chunk_));
            given += chunk_;
        }
        return given;
    }

    // Hands on everything, the last piece possibly shorter.
    void finish(std::string_view rest)
    {
        while (!rest.empty()) {
            const std::size_t take = std::min(rest.size(), chunk_);
            offer(rest.substr(0, take));
            rest.remove_prefix(take);
        }
    }

    std::int64_t size() const { return size_; }
    bool failed() const { return failed_; }

private:
    void offer(std::string_view piece)
    {
        size_ += static_cast<std::int64_t>(piece.size());
        if (!failed_) {
            failed_ = !sink_(piece);
        }
    }

    const std::function<bool(std::string_view)>& sink_;
    std::size_t chunk_;
    std::int64_t size_ = 0;
    bool failed_ = false;
};

}  // namespace

Refusal checkLimitAdmitsText(const LineSettings& settings, std::string_view text)
{
    if (text.empty()) {
        return {};
    }
    if (!settings.MeasureInPixels) {
        if (settings.LineLimit < 1) {
            return {true, passMessages::tooShort(settings, 0)};
        }
        return {};
    }
    // Only a character wider than the limit can be refused: without such a
    // code the text need not be looked at.
    bool anyTooWide = false;
    for (int code = 0; code < 256; ++code) {
        anyTooWide = anyTooWide || settings.CharWidths[static_cast<std::size_t>(code)] > settings.LineLimit;
    }
    if (!anyTooWide) {
        return {};
    }
    std::array<bool, 256> present{};
    for (char c : text) {
        present[static_cast<unsigned char>(c)] = true;
    }
    int widest = -1;
    for (int code = 0; code < 256; ++code) {
        if (present[static_cast<std::size_t>(code)]
            && (widest < 0
                || settings.CharWidths[static_cast<std::size_t>(code)]
                       > settings.CharWidths[static_cast<std::size_t>(widest)])) {
            widest = code;
        }
    }
    if (settings.LineLimit < settings.CharWidths[static_cast<std::size_t>(widest)]) {
        return {true, passMessages::tooShort(settings, static_cast<unsigned char>(widest))};
    }
    return {};
}

PassResult runLineBreakPass(std::string text, const LineSettings& settings, bool wordWrap)
{
    QuietPassHooks hooks{wordWrap};
    return runLineBreakPassWith(std::move(text), settings, hooks);
}

StreamedPass streamLineBreakPass(std::string_view text, const LineSettings& settings, bool wordWrap,
                                 const std::function<bool(std::string_view)>& sink, std::size_t chunkBytes)
{
    QuietPassHooks hooks{wordWrap};
    PieceOutput output(sink, std::max<std::size_t>(chunkBytes, 1));
    std::string buffer;
    passDetail::PassCounts counts = passDetail::runPass(text, settings, hooks, buffer, output);
    output.finish(buffer);

    StreamedPass result;
    result.size = output.size();
    result.modificationCount = counts.modifications;
    result.error = std::move(counts.error);
    result.sinkFailed = output.failed();
    return result;
}

}  // namespace tessaline
