// Turning a 4,000 x 3,000 photo into a TI-89 picture: decoding, scaling and
// dithering together, for a JPEG and a PNG. Run with
// --benchmark_repetitions=N for the median.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "formats/image_picture.h"
#include "tests/support/image_files.h"

namespace {

using namespace tessaline;

// A photo-like RGB image: smooth shapes with a little noise. Deterministic.
test::RawImage photo(int width, int height)
{
    test::RawImage image{width, height, 3, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
    std::uint32_t state = 1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245u + 12345u;
            const double shade = 0.5 + 0.25 * std::sin(x / 300.0) + 0.2 * std::cos(y / 170.0 + x / 900.0);
            const int noise = static_cast<int>(state >> 28) - 8;
            std::uint8_t* pixel = &image.pixels[(static_cast<std::size_t>(y) * width + x) * 3];
            for (int c = 0; c < 3; ++c)
                pixel[c] =
                    static_cast<std::uint8_t>(std::clamp(static_cast<int>(shade * (200 + 20 * c)) + noise, 0, 255));
        }
    }
    return image;
}

void convert(benchmark::State& state, const std::string& bytes)
{
    for (auto _ : state) {
        ImagePicture picture = convertImage(bytes, {Calculator::Ti89});
        if (!picture.ok)
            state.SkipWithError(picture.error.c_str());
        benchmark::DoNotOptimize(picture.bitmap.rows.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 4000 * 3000);
}

void BM_Photo4000x3000Jpeg(benchmark::State& state)
{
    static const std::string jpeg = test::jpegOf(photo(4000, 3000), 90);
    convert(state, jpeg);
}
BENCHMARK(BM_Photo4000x3000Jpeg)->Unit(benchmark::kMillisecond);

void BM_Photo4000x3000Png(benchmark::State& state)
{
    static const std::string png = test::pngOf(photo(4000, 3000));
    convert(state, png);
}
BENCHMARK(BM_Photo4000x3000Png)->Unit(benchmark::kMillisecond);

}  // namespace
