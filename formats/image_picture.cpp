#include "formats/image_picture.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <vector>

#include "formats/calc_picture.h"

// The image decoder, built here with only the formats we read.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_FAILURE_USERMSG
#include <stb/stb_image.h>

namespace tessaline {

namespace {

struct StbFree {
    void operator()(unsigned char* pixels) const { stbi_image_free(pixels); }
};

// A signature the decoder knows, checked first so that any other file gets
// one clear message.
bool hasImageSignature(std::string_view bytes)
{
    return bytes.starts_with("\x89PNG\r\n\x1A\n") || bytes.starts_with("\xFF\xD8\xFF") || bytes.starts_with("GIF87a")
           || bytes.starts_with("GIF89a") || bytes.starts_with("BM");
}

unsigned byteAt(std::string_view bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }

std::uint32_t readLe32(std::string_view bytes, std::size_t at)
{
    return byteAt(bytes, at) | byteAt(bytes, at + 1) << 8 | byteAt(bytes, at + 2) << 16
           | std::uint32_t(byteAt(bytes, at + 3)) << 24;
}

// A JPEG's data ends with the end-of-image marker. Bytes after the marker
// (some cameras add them) are allowed.
bool jpegIsWhole(std::string_view bytes) { return bytes.find("\xFF\xD9", 2) != std::string_view::npos; }

// An uncompressed BMP holds all its rows; a compressed one is read as it is.
bool bmpIsWhole(std::string_view bytes)
{
    constexpr std::size_t kHeaderEnd = 34;
    if (bytes.size() < kHeaderEnd)
        return false;
    const std::uint32_t compression = readLe32(bytes, 30);
    if (compression != 0 && compression != 3)
        return true;
    const std::uint64_t width = static_cast<std::uint32_t>(std::abs(static_cast<std::int32_t>(readLe32(bytes, 18))));
    const std::uint64_t height = static_cast<std::uint32_t>(std::abs(static_cast<std::int32_t>(readLe32(bytes, 22))));
    const std::uint64_t bitsPerPixel = byteAt(bytes, 28) | byteAt(bytes, 29) << 8;
    const std::uint64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    return readLe32(bytes, 10) + rowBytes * height <= bytes.size();
}

// A GIF holds its first image's data up to the block that ends it: the
// blocks are walked, none is decoded.
bool gifIsWhole(std::string_view bytes)
{
    constexpr std::size_t kScreenDescriptorEnd = 13;
    constexpr std::size_t kImageDescriptorSize = 10;
    std::size_t at = kScreenDescriptorEnd;
    const auto colourTable = [&bytes](std::size_t flagsAt) -> std::size_t {
        const unsigned flags = byteAt(bytes, flagsAt);
        return flags & 0x80 ? 3u << ((flags & 7) + 1) : 0;
    };
    // Sub-blocks, each a length byte and that many bytes, to a length of 0.
    const auto skipSubBlocks = [&bytes, &at]() {
        while (at < bytes.size() && byteAt(bytes, at) != 0)
            at += 1 + byteAt(bytes, at);
        if (at >= bytes.size())
            return false;
        ++at;
        return true;
    };
    if (bytes.size() < kScreenDescriptorEnd)
        return false;
    at += colourTable(10);
    while (at < bytes.size()) {
        const unsigned block = byteAt(bytes, at);
        if (block == '!') {
            at += 2;  // the introducer and the label
            if (!skipSubBlocks())
                return false;
        } else if (block == ',') {
            if (bytes.size() - at < kImageDescriptorSize + 1)
                return false;
            at += kImageDescriptorSize + colourTable(at + 9) + 1;  // and the code size
            return skipSubBlocks();
        } else {
            return false;  // the trailer, or no block, before any image
        }
    }
    return false;
}

// The decoder fills in what is missing from a file cut short, so that is
// checked before it runs.
bool isWhole(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xD8"))
        return jpegIsWhole(bytes);
    if (bytes.starts_with("BM"))
        return bmpIsWhole(bytes);
    if (bytes.starts_with("GIF"))
        return gifIsWhole(bytes);
    return true;  // the PNG decoder refuses a short file itself
}

// A grey pixel with its alpha, composited onto white.
unsigned onWhite(unsigned grey, unsigned alpha) { return (grey * alpha + 255 * (255 - alpha) + 127) / 255; }

// The grey (0 black, 255 white) of each screen pixel: the mean of the source
// pixels its box covers, each composited onto white.
std::vector<float> scaledGrey(const unsigned char* greyAlpha, ImageSize source, ImageSize target)
{
    // The source columns each target column starts at; one past the last.
    std::vector<int> columnStart(static_cast<std::size_t>(target.width) + 1);
    for (int x = 0; x <= target.width; ++x)
        columnStart[x] = static_cast<int>(static_cast<long long>(x) * source.width / target.width);
    std::vector<int> columnOf(static_cast<std::size_t>(source.width));
    std::vector<int> columnCount(static_cast<std::size_t>(target.width));
    for (int x = 0; x < target.width; ++x) {
        // An enlarged image repeats source columns.
        const int begin = std::min(columnStart[x], source.width - 1);
        const int end = std::max(begin + 1, columnStart[x + 1]);
        columnCount[x] = end - begin;
        for (int sx = begin; sx < end; ++sx)
            columnOf[sx] = x;
    }

    std::vector<float> grey(static_cast<std::size_t>(target.width) * target.height);
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(target.width));
    for (int y = 0; y < target.height; ++y) {
        const int begin =
            std::min(static_cast<int>(static_cast<long long>(y) * source.height / target.height), source.height - 1);
        const int end =
            std::max(begin + 1, static_cast<int>(static_cast<long long>(y + 1) * source.height / target.height));
        std::fill(sums.begin(), sums.end(), 0);
        for (int sy = begin; sy < end; ++sy) {
            const unsigned char* row = greyAlpha + static_cast<std::size_t>(sy) * source.width * 2;
            if (target.width >= source.width) {
                // Enlarged across: each target column takes one source column.
                for (int x = 0; x < target.width; ++x) {
                    const unsigned char* pixel = row + 2 * std::min(columnStart[x], source.width - 1);
                    sums[x] += onWhite(pixel[0], pixel[1]);
                }
                continue;
            }
            for (int sx = 0; sx < source.width; ++sx)
                sums[columnOf[sx]] += onWhite(row[2 * sx], row[2 * sx + 1]);
        }
        const int rows = end - begin;
        for (int x = 0; x < target.width; ++x) {
            const int count = (target.width >= source.width ? 1 : columnCount[x]) * rows;
            grey[static_cast<std::size_t>(y) * target.width + x] = static_cast<float>(sums[x]) / count;
        }
    }
    return grey;
}

// 1 bit by Floyd-Steinberg error diffusion, the rows taken in alternate
// directions so that the error does not drift to one side.
MonoBitmap dither(std::vector<float> grey, ImageSize size)
{
    MonoBitmap bitmap(size.width, size.height);
    const auto at = [&](int x, int y) -> float& { return grey[static_cast<std::size_t>(y) * size.width + x]; };
    for (int y = 0; y < size.height; ++y) {
        const bool leftToRight = y % 2 == 0;
        const int step = leftToRight ? 1 : -1;
        for (int i = 0; i < size.width; ++i) {
            const int x = leftToRight ? i : size.width - 1 - i;
            const float old = at(x, y);
            const bool ink = old < 127.5f;
            if (ink)
                bitmap.ink(x, y);
            const float error = old - (ink ? 0.0f : 255.0f);
            const bool hasNext = x + step >= 0 && x + step < size.width;
            const bool hasPrevious = x - step >= 0 && x - step < size.width;
            if (hasNext)
                at(x + step, y) += error * 7 / 16;
            if (y + 1 < size.height) {
                if (hasPrevious)
                    at(x - step, y + 1) += error * 3 / 16;
                at(x, y + 1) += error * 5 / 16;
                if (hasNext)
                    at(x + step, y + 1) += error * 1 / 16;
            }
        }
    }
    return bitmap;
}

MonoBitmap threshold(const std::vector<float>& grey, ImageSize size, int level)
{
    MonoBitmap bitmap(size.width, size.height);
    for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
            if (grey[static_cast<std::size_t>(y) * size.width + x] < static_cast<float>(level))
                bitmap.ink(x, y);
        }
    }
    return bitmap;
}

}  // namespace

ImageSize pictureSizeFor(ImageSize source, const ImagePictureOptions& options)
{
    const CalcScreenSize screen = calcScreenSize(options.calculator);
    if (source.width <= 0 || source.height <= 0)
        return {};
    if (!options.fitScreen && source.width <= screen.width && source.height <= screen.height)
        return source;
    const double scale =
        std::min(static_cast<double>(screen.width) / source.width, static_cast<double>(screen.height) / source.height);
    const auto side = [scale](int length, int most) {
        return std::clamp(static_cast<int>(std::lround(length * scale)), 1, most);
    };
    return {side(source.width, screen.width), side(source.height, screen.height)};
}

ImagePicture convertImage(std::string_view bytes, const ImagePictureOptions& options)
{
    ImagePicture result;
    if (!hasImageSignature(bytes)) {
        result.error = "Not a PNG, JPEG, GIF or BMP image.";
        return result;
    }
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        result.error = "The image file is too large to read (" + std::to_string(bytes.size()) + " bytes).";
        return result;
    }
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int length = static_cast<int>(bytes.size());
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info_from_memory(data, length, &width, &height, &channels) || width <= 0 || height <= 0) {
        result.error = "The image is damaged: its header cannot be read.";
        return result;
    }
    result.source = {width, height};
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (pixels > kMaxImagePixels) {
        result.error = "The image is " + std::to_string(width) + " x " + std::to_string(height) + " pixels; at most "
                       + std::to_string(kMaxImagePixels / 1'000'000) + " million pixels can be turned into a picture.";
        return result;
    }
    if (!isWhole(bytes)) {
        result.error = "The image is damaged: the file is cut short.";
        return result;
    }
    // Grey and alpha, two bytes a pixel.
    std::unique_ptr<unsigned char, StbFree> decoded(stbi_load_from_memory(data, length, &width, &height, &channels, 2));
    if (!decoded || width != result.source.width || height != result.source.height) {
        const char* reason = stbi_failure_reason();
        result.error = std::string("The image is damaged: ") + (reason ? reason : "it cannot be decoded") + ".";
        return result;
    }

    const ImageSize size = pictureSizeFor(result.source, options);
    std::vector<float> grey = scaledGrey(decoded.get(), result.source, size);
    decoded.reset();
    result.bitmap = options.threshold > 0 ? threshold(grey, size, options.threshold) : dither(std::move(grey), size);
    result.ok = true;
    return result;
}

}  // namespace tessaline
