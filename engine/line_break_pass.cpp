// The batch entry points of the line-break pass and the check that refuses a
// limit before a run.

#include "engine/line_break_pass.h"
#include "engine/line_break_pass_core.h"
#include "engine/pass_messages.h"

#include <algorithm>
#include <array>

namespace tessaline {

namespace {

// The pieces of a text cut after its LFs, for a pass that reads a text in
// pieces: what follows the last LF of a piece is held and joined with the
// next piece.
class LineEndedPieces {
public:
    static constexpr bool kPieces = true;

    explicit LineEndedPieces(const TextPieces& pieces) : pieces_(pieces) {}

    bool operator()(std::string_view& piece)
    {
        std::string_view got;
        while (pieces_(got)) {
            const std::size_t lastLf = got.rfind('\n');
            if (lastLf == std::string_view::npos) {
                held_.append(got);
                continue;
            }
            const std::string_view head = got.substr(0, lastLf + 1);
            if (held_.empty()) {
                piece = head;
            } else {
                joined_.assign(held_).append(head);
                piece = joined_;
            }
            held_.assign(got.substr(lastLf + 1));
            return true;
        }
        if (held_.empty()) {
            return false;
        }
        joined_.swap(held_);
        held_.clear();
        piece = joined_;
        return true;
    }

private:
    const TextPieces& pieces_;
    std::string held_;    // the text after the last LF so far
    std::string joined_;  // the piece last given, where it had to be joined
};

}  // namespace

bool limitAdmitsEveryCode(const LineSettings& settings)
{
    if (!settings.measureInPixels) {
        return settings.lineLimit >= 1;
    }
    return std::all_of(settings.charWidths.begin(), settings.charWidths.end(),
                       [&](std::int16_t width) { return width <= settings.lineLimit; });
}

Refusal checkLimitAdmitsText(const LineSettings& settings, std::string_view text)
{
    // Only a character wider than the limit can be refused: without such a
    // code the text need not be looked at.
    if (text.empty() || limitAdmitsEveryCode(settings)) {
        return {};
    }
    if (!settings.measureInPixels) {
        return {true, messages::tooShort(settings, 0)};
    }
    std::array<bool, 256> present{};
    for (char c : text) {
        present[static_cast<unsigned char>(c)] = true;
    }
    int widest = -1;
    for (int code = 0; code < 256; ++code) {
        if (present[static_cast<std::size_t>(code)]
            && (widest < 0
                || settings.charWidths[static_cast<std::size_t>(code)]
                       > settings.charWidths[static_cast<std::size_t>(widest)])) {
            widest = code;
        }
    }
    if (settings.lineLimit < settings.charWidths[static_cast<std::size_t>(widest)]) {
        return {true, messages::tooShort(settings, static_cast<unsigned char>(widest))};
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
    internal::PieceOutput output(sink, std::max<std::size_t>(chunkBytes, 1));
    std::string buffer;
    internal::PassCounts counts = internal::runPass(text, settings, hooks, buffer, output);
    return internal::finishStream(output, buffer, counts);
}

StreamedPass streamLineBreakPass(const TextPieces& pieces, const LineSettings& settings, bool wordWrap,
                                 const std::function<bool(std::string_view)>& sink, std::size_t chunkBytes)
{
    QuietPassHooks hooks{wordWrap};
    internal::PieceOutput output(sink, std::max<std::size_t>(chunkBytes, 1));
    std::string buffer;
    LineEndedPieces lines(pieces);
    std::string_view first;  // never empty: a piece holds an LF or is the end
    internal::PassCounts counts;
    if (lines(first)) {
        counts = internal::runPass(first, settings, hooks, buffer, output, lines);
    }
    return internal::finishStream(output, buffer, counts);
}

}  // namespace tessaline
