// The line-break pass with std::function hooks: a thin adapter over the
// per-character pass of line_break_pass_core.h.

#include "engine/line_break_pass.h"
#include "engine/line_break_pass_core.h"
#include "engine/pass_messages.h"

#include <array>

namespace tessaline {

namespace {

// The caller's std::function hooks. Which of them are set is decided once,
// before the run, so an empty hook costs nothing per character.
template <bool Cancel, bool Yield, bool Progress>
struct FunctionHooks {
    // With no hook running at every character the settings can only change
    // inside the word-wrap query, so the pass may work on a copy.
    static constexpr bool kLiveSettings = Cancel || Yield || Progress;
    const PassHooks& hooks;
    bool wordWrap() const { return hooks.wordWrap ? hooks.wordWrap() : true; }
    bool cancelRequested() const
    {
        if constexpr (Cancel) {
            return hooks.cancelRequested();
        }
        return false;
    }
    void yield() const
    {
        if constexpr (Yield) {
            hooks.yield();
        }
    }
    void progress(std::int64_t maximum, std::int64_t value) const
    {
        if constexpr (Progress) {
            hooks.progress(maximum, value);
        }
    }
};

template <bool Cancel, bool Yield, bool Progress>
PassResult runWith(std::string text, const LineSettings& settings, const PassHooks& hooks)
{
    FunctionHooks<Cancel, Yield, Progress> adapter{hooks};
    return runLineBreakPassWith(std::move(text), settings, adapter);
}

template <bool Cancel, bool Yield>
PassResult runWithHooks(std::string text, const LineSettings& settings, const PassHooks& hooks)
{
    if (hooks.progress) {
        return runWith<Cancel, Yield, true>(std::move(text), settings, hooks);
    }
    return runWith<Cancel, Yield, false>(std::move(text), settings, hooks);
}

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
        if (present[static_cast<std::size_t>(code)] &&
            (widest < 0 || settings.CharWidths[static_cast<std::size_t>(code)] >
                               settings.CharWidths[static_cast<std::size_t>(widest)])) {
            widest = code;
        }
    }
    if (settings.LineLimit < settings.CharWidths[static_cast<std::size_t>(widest)]) {
        return {true, passMessages::tooShort(settings, static_cast<unsigned char>(widest))};
    }
    return {};
}

PassResult runLineBreakPass(std::string text, const LineSettings& settings, const PassHooks& hooks)
{
    if (!hooks.wordWrap && !hooks.cancelRequested && !hooks.yield && !hooks.progress) {
        // Nothing to ask and nothing to tell: the batch pass gives the same.
        return runLineBreakPass(std::move(text), settings, true);
    }
    if (hooks.cancelRequested) {
        return hooks.yield ? runWithHooks<true, true>(std::move(text), settings, hooks)
                           : runWithHooks<true, false>(std::move(text), settings, hooks);
    }
    return hooks.yield ? runWithHooks<false, true>(std::move(text), settings, hooks)
                       : runWithHooks<false, false>(std::move(text), settings, hooks);
}

}  // namespace tessaline
