// The calculator screen preview of a 1 MB processed text: laying it out and
// drawing its first screen (what opening the window costs), drawing one
// screen from the middle (what a page turn costs), and writing every screen
// as one PNG as tessaline-process --preview does. Each reports the process's
// peak resident memory so far ("peak_MiB"); run one benchmark at a time
// (--benchmark_filter) to read a single one's peak.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/preview_png.h"
#include "engine/char_widths.h"
#include "engine/line_break_pass.h"
#include "engine/line_settings.h"
#include "screen/screen_layout.h"
#include "screen/screen_target.h"

namespace {

using namespace tessaline;

// A book: paragraphs of words of 1 to 10 letters, a chapter line every 200
// paragraphs, a title every 50, now and then a picture line (drawn as its
// box, no picture being at hand) and a page break. Deterministic.
std::string generateBook(std::size_t bytes)
{
    std::uint32_t state = 2463534242u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    std::string text;
    text.reserve(bytes + 64);
    for (int paragraph = 0; text.size() < bytes; ++paragraph) {
        if (paragraph % 200 == 0)
            text += "_CHA Chapter " + std::to_string(paragraph / 200 + 1) + "\r\n";
        else if (paragraph % 50 == 0)
            text += "_TIL Part " + std::to_string(paragraph / 50) + "\r\n";
        else if (paragraph % 97 == 0)
            text += "_PIC fig" + std::to_string(paragraph % 1000) + "\r\n";
        else if (paragraph % 131 == 0)
            text += "_BRK\r\n";
        for (int words = 30 + static_cast<int>(next() % 60); words > 0; --words) {
            for (int length = 1 + static_cast<int>(next() % 10); length > 0; --length)
                text.push_back(static_cast<char>('a' + next() % 26));
            text.push_back(words > 1 ? ' ' : '.');
        }
        text += "\r\n";
    }
    return text;
}

// The 1 MB book broken for the TI-89's 160 pixels (preset 0).
const std::string& processedBook()
{
    static const std::string text = [] {
        LineSettings settings;
        settings.charWidths = defaultCharWidths();
        applyPreset(0, settings);
        return runLineBreakPass(generateBook(std::size_t{1} << 20), settings, true).text;
    }();
    return text;
}

screen::ScreenTarget bookTarget()
{
    LineSettings settings;
    settings.charWidths = defaultCharWidths();
    applyPreset(0, settings);
    return screen::targetFor(settings);
}

void reportPeak(benchmark::State& state)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
}

void BM_PreviewOpen(benchmark::State& state)
{
    const std::string& text = processedBook();
    const screen::ScreenTarget target = bookTarget();
    int screens = 0;
    for (auto _ : state) {
        const screen::ScreenLayout layout(text, target);
        const screen::ScreenImage first = layout.draw(0);
        screens = layout.screenCount();
        benchmark::DoNotOptimize(first.inkedCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["screens"] = screens;
    reportPeak(state);
}
BENCHMARK(BM_PreviewOpen)->Unit(benchmark::kMillisecond);

void BM_PreviewPageTurn(benchmark::State& state)
{
    const screen::ScreenLayout layout(processedBook(), bookTarget());
    int index = layout.screenCount() / 2;
    for (auto _ : state) {
        const screen::ScreenImage image = layout.draw(index);
        benchmark::DoNotOptimize(image.inkedCount());
        index = index + 1 < layout.screenCount() ? index + 1 : 0;
    }
    reportPeak(state);
}
BENCHMARK(BM_PreviewPageTurn)->Unit(benchmark::kMicrosecond);

void BM_PreviewEveryScreenPng(benchmark::State& state)
{
    const screen::ScreenLayout layout(processedBook(), bookTarget());
    const int zoom = static_cast<int>(state.range(0));
    std::size_t pngBytes = 0;
    for (auto _ : state) {
        pngBytes = 0;
        std::string error;
        const bool written = cli::writePreviewPng(
            layout, 0, layout.screenCount() - 1, zoom,
            [&pngBytes](std::string_view piece) {
                pngBytes += piece.size();
                return true;
            },
            error);
        if (!written)
            state.SkipWithError(error.c_str());
    }
    state.counters["screens"] = layout.screenCount();
    state.counters["png_KiB"] = static_cast<double>(pngBytes) / 1024.0;
    reportPeak(state);
}
BENCHMARK(BM_PreviewEveryScreenPng)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
