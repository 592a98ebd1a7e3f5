// Throughput of the line-break pass.
//
//   tessaline_bench [benchmark options]
//   tessaline_bench --write-text FILE MEGABYTES   writes the generated text
//                                                  (for timing tessaline-process)
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "engine/char_widths.h"
#include "engine/line_break_pass.h"
#include "engine/line_break_pass_core.h"
#include "engine/line_settings.h"

namespace {

using namespace tessaline;

// English-like prose: words of 1 to 12 letters, now and then punctuation, a
// paragraph end (CR LF) every 40 to 120 words. Deterministic.
std::string generateText(std::size_t bytes)
{
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    std::string text;
    text.reserve(bytes + 16);
    int wordsLeft = 40;
    while (text.size() < bytes) {
        const int length = 1 + static_cast<int>(next() % 12);
        for (int i = 0; i < length; ++i) {
            text.push_back(static_cast<char>('a' + next() % 26));
        }
        if (next() % 10 == 0) {
            text.push_back(next() % 2 ? ',' : '.');
        }
        if (--wordsLeft == 0) {
            text.append("\r\n");
            wordsLeft = 40 + static_cast<int>(next() % 81);
        } else {
            text.push_back(' ');
        }
    }
    text.resize(bytes);
    return text;
}

const std::string& textOf(std::size_t megabytes)
{
    static std::map<std::size_t, std::string> cache;
    auto it = cache.find(megabytes);
    if (it == cache.end()) {
        it = cache.emplace(megabytes, generateText(megabytes << 20)).first;
    }
    return it->second;
}

LineSettings settingsFor(int preset)
{
    LineSettings s;
    s.charWidths = defaultCharWidths();
    applyPreset(preset, s);
    return s;
}

template <class Run>
void measure(benchmark::State& state, std::size_t megabytes, Run run)
{
    const std::string& text = textOf(megabytes);
    std::int64_t mods = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string copy = text;
        state.ResumeTiming();
        PassResult r = run(std::move(copy));
        mods = r.modificationCount;
        benchmark::DoNotOptimize(r.text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
    state.counters["breaks"] = static_cast<double>(mods);
}

void BM_PixelsWithWrap(benchmark::State& state)
{
    const LineSettings s = settingsFor(0);  // 160 pixels
    measure(state, 10, [&](std::string t) { return runLineBreakPass(std::move(t), s, true); });
}
BENCHMARK(BM_PixelsWithWrap)->Unit(benchmark::kMillisecond);

void BM_CharactersWithoutWrap(benchmark::State& state)
{
    const LineSettings s = settingsFor(3);  // 37 characters
    measure(state, 10, [&](std::string t) { return runLineBreakPass(std::move(t), s, false); });
}
BENCHMARK(BM_CharactersWithoutWrap)->Unit(benchmark::kMillisecond);

void BM_CharactersWithWrap(benchmark::State& state)
{
    const LineSettings s = settingsFor(3);
    measure(state, 10, [&](std::string t) { return runLineBreakPass(std::move(t), s, true); });
}
BENCHMARK(BM_CharactersWithWrap)->Unit(benchmark::kMillisecond);

// Hooks kept as std::function objects and all set, doing nothing: four
// calls per character that the compiler cannot see through.
struct CallbackNoOpHooks {
    std::function<bool()> onWordWrap = [] { return true; };
    std::function<bool()> onCancelRequested = [] { return false; };
    std::function<void()> onYield = [] {};
    std::function<void(std::int64_t, std::int64_t)> onProgress = [](std::int64_t, std::int64_t) {};
    bool wordWrap() { return onWordWrap(); }
    bool cancelRequested() { return onCancelRequested(); }
    void yield() { onYield(); }
    void progress(std::int64_t maximum, std::int64_t value) { onProgress(maximum, value); }
};

void BM_NoOpHooks(benchmark::State& state)
{
    const LineSettings s = settingsFor(0);
    measure(state, 10, [&](std::string t) {
        CallbackNoOpHooks hooks;
        return runLineBreakPassWith(std::move(t), s, hooks);
    });
}
BENCHMARK(BM_NoOpHooks)->Unit(benchmark::kMillisecond);

// The per-character pass with hooks given as a type: every hook inline and
// doing nothing, but not declared quiet, so the pass still visits the
// characters one by one. Set against BM_PixelsWithWrap (the same hooks
// declared quiet) and BM_NoOpHooks (the same hooks as std::function objects).
struct InlineNoOpHooks {
    bool wordWrap() { return true; }
    bool cancelRequested() { return false; }
    void yield() {}
    void progress(std::int64_t, std::int64_t) {}
};

void BM_InlineNoOpHooks(benchmark::State& state)
{
    const LineSettings s = settingsFor(0);
    measure(state, 10, [&](std::string t) {
        InlineNoOpHooks hooks;
        return runLineBreakPassWith(std::move(t), s, hooks);
    });
}
BENCHMARK(BM_InlineNoOpHooks)->Unit(benchmark::kMillisecond);

// Inline hooks shaped like the window's: a cancel flag read before every
// character, a counter that looks at a clock every 4096 yields, progress in
// per-mille that is only shown when it changes.
struct InlineWindowLikeHooks {
    volatile bool cancel = false;
    unsigned calls = 0;
    std::int64_t clockChecks = 0;
    std::int64_t shownMaximum = -1;  // the per-mille value holds for values in [sameFrom, nextChange)
    std::int64_t sameFrom = 0;
    std::int64_t nextChange = 0;
    int shown = -1;
    std::int64_t shownChanges = 0;

    bool wordWrap() { return true; }
    bool cancelRequested() { return cancel; }
    void yield()
    {
        if (++calls % 4096 == 0) {
            ++clockChecks;
        }
    }
    void progress(std::int64_t maximum, std::int64_t value)
    {
        if (maximum == shownMaximum && value >= sameFrom && value < nextChange) {
            return;
        }
        const int now = static_cast<int>(value * 1000 / maximum);
        shownMaximum = maximum;
        sameFrom = (now * maximum + 999) / 1000;
        nextChange = ((now + 1) * maximum + 999) / 1000;
        if (now != shown) {
            shown = now;
            ++shownChanges;
        }
    }
};

void BM_InlineWindowLikeHooks(benchmark::State& state)
{
    const LineSettings s = settingsFor(0);
    std::int64_t changes = 0;
    measure(state, 10, [&](std::string t) {
        InlineWindowLikeHooks hooks;
        PassResult r = runLineBreakPassWith(std::move(t), s, hooks);
        changes = hooks.shownChanges;
        return r;
    });
    state.counters["shown"] = static_cast<double>(changes);
}
BENCHMARK(BM_InlineWindowLikeHooks)->Unit(benchmark::kMillisecond);

// The streamed batch pass as the command-line tool runs it: 37 characters,
// word wrap, pieces of 1 MiB handed to a sink that only counts them.
void BM_StreamedCharactersWithWrap(benchmark::State& state)
{
    const LineSettings s = settingsFor(3);
    const std::string& text = textOf(10);
    std::int64_t mods = 0;
    for (auto _ : state) {
        std::size_t handed = 0;
        StreamedPass r = streamLineBreakPass(text, s, true, [&](std::string_view piece) {
            handed += piece.size();
            return true;
        });
        mods = r.modificationCount;
        benchmark::DoNotOptimize(handed);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
    state.counters["breaks"] = static_cast<double>(mods);
}
BENCHMARK(BM_StreamedCharactersWithWrap)->Unit(benchmark::kMillisecond);

// Linear time: the same throughput at 1, 10 and 100 MB.
void BM_Scaling(benchmark::State& state)
{
    const LineSettings s = settingsFor(0);
    measure(state, static_cast<std::size_t>(state.range(0)),
            [&](std::string t) { return runLineBreakPass(std::move(t), s, true); });
}
BENCHMARK(BM_Scaling)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scaling)->Arg(100)->Iterations(3)->Unit(benchmark::kMillisecond);

int writeText(const char* path, const char* megabytes)
{
    const long mb = std::strtol(megabytes, nullptr, 10);
    if (mb <= 0) {
        std::fprintf(stderr, "--write-text needs a size in megabytes\n");
        return 1;
    }
    const std::string text = generateText(static_cast<std::size_t>(mb) << 20);
    std::FILE* f = std::fopen(path, "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
        std::perror(path);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--write-text") == 0) {
        return writeText(argv[2], argv[3]);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
