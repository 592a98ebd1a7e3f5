// Throughput of reading a text file: UTF-8 and 8-bit text decoded whole, and
// a file read twice a megabyte at a time as tessaline-process reads it.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/text_file.h"

namespace {

using namespace tessaline;

// Words, one in eight with a letter outside ASCII, a line end every 40 to 50
// bytes. Deterministic.
std::string generateUtf8(std::size_t bytes)
{
    const char* const words[] = {
        "the ",    "na\xC3\xAFve ", "reader ",    "\xCE\xB1\xCE\xB2 ", "lecture ", "notes ", "r\xC3\xA9sum\xC3\xA9 ",
        "screen ", "of ",           "calculator "};
    std::uint32_t state = 12345;
    std::string text;
    text.reserve(bytes + 64);
    std::size_t lineStart = 0;
    while (text.size() < bytes) {
        state = state * 1103515245u + 12345u;
        text += words[(state >> 16) % 10];
        if (text.size() - lineStart > 40 + (state >> 8) % 10) {
            text += '\n';
            lineStart = text.size();
        }
    }
    return text;
}

const std::string& utf8Text()
{
    static const std::string text = generateUtf8(std::size_t{10} << 20);
    return text;
}

void BM_DecodeUtf8(benchmark::State& state)
{
    for (auto _ : state) {
        DecodedText decoded = decodeTextFile(utf8Text());
        benchmark::DoNotOptimize(decoded.codes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * utf8Text().size()));
}
BENCHMARK(BM_DecodeUtf8)->Unit(benchmark::kMillisecond);

void BM_ReadUtf8Twice(benchmark::State& state)
{
    constexpr std::size_t kBuffer = std::size_t{1} << 20;
    const std::string& text = utf8Text();
    std::string piece;
    for (auto _ : state) {
        PlainTextFile file;
        for (std::size_t at = 0; at < text.size(); at += kBuffer)
            file.check(std::string_view(text).substr(at, kBuffer));
        for (std::size_t at = 0; at < text.size(); at += kBuffer) {
            piece.clear();
            file.decode(std::string_view(text).substr(at, kBuffer), piece);
            benchmark::DoNotOptimize(piece.data());
        }
        piece.clear();
        file.finish({}, piece);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadUtf8Twice)->Unit(benchmark::kMillisecond);

}  // namespace
