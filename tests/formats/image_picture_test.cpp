// Images turned into calculator pictures: size, tone, and hostile files.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cmath>
#include <random>
#include <string>

#include "formats/calc_picture.h"
#include "formats/image_picture.h"
#include "tests/support/image_files.h"

using namespace tessaline;
using namespace tessaline::test;

namespace {

// Source blocks of `cell` x `cell` pixels, each one random grey.
RawImage blockImage(int columns, int rows, int cell, unsigned randomStart)
{
    RawImage image = greyImage(columns * cell, rows * cell);
    std::mt19937 random(randomStart);
    std::vector<std::uint8_t> greys(static_cast<std::size_t>(columns) * rows);
    for (auto& grey : greys)
        grey = static_cast<std::uint8_t>(random() % 256);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            image.pixels[static_cast<std::size_t>(y) * image.width + x] = greys[(y / cell) * columns + x / cell];
    return image;
}

struct Difference {
    double worst = 0;
    double mean = 0;
};

// The ink of each 8 x 8 block of the picture, 0 to 1, against the darkness
// (1 - grey / 255) of the block of the source it stands for.
Difference blockDifference(const MonoBitmap& picture, const RawImage& source)
{
    const int sourceCell = source.width / picture.width * 8;
    Difference difference;
    int blocks = 0;
    for (int by = 0; by + 8 <= picture.height; by += 8) {
        for (int bx = 0; bx + 8 <= picture.width; bx += 8) {
            int ink = 0;
            for (int y = by; y < by + 8; ++y)
                for (int x = bx; x < bx + 8; ++x)
                    ink += picture.inked(x, y);
            double darkness = 0;
            const int sx0 = bx / 8 * sourceCell;
            const int sy0 = by / 8 * sourceCell;
            for (int y = sy0; y < sy0 + sourceCell; ++y)
                for (int x = sx0; x < sx0 + sourceCell; ++x)
                    darkness += 1 - source.pixels[static_cast<std::size_t>(y) * source.width + x] / 255.0;
            darkness /= sourceCell * sourceCell;
            difference.worst = std::max(difference.worst, std::abs(ink / 64.0 - darkness));
            difference.mean += std::abs(ink / 64.0 - darkness);
            ++blocks;
        }
    }
    difference.mean /= blocks;
    return difference;
}

std::string be32(std::uint32_t value)
{
    return {char(value >> 24), char(value >> 16 & 0xFF), char(value >> 8 & 0xFF), char(value & 0xFF)};
}

std::string pngChunk(const std::string& type, const std::string& data)
{
    const std::string body = type + data;
    const auto crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size()));
    return be32(static_cast<std::uint32_t>(data.size())) + body + be32(crc);
}

// A grey PNG of width x height black pixels, its rows deflated as they are
// made: a few dozen kilobytes that decode to width x height bytes.
std::string blackPng(std::uint32_t width, std::uint32_t height)
{
    z_stream zip{};
    deflateInit(&zip, 9);
    std::string row(width + 1, '\0');
    std::string compressed;
    char buffer[65536];
    for (std::uint32_t y = 0; y <= height; ++y) {
        zip.next_in = reinterpret_cast<Bytef*>(row.data());
        zip.avail_in = y < height ? static_cast<uInt>(row.size()) : 0;
        const int flush = y < height ? Z_NO_FLUSH : Z_FINISH;
        do {
            zip.next_out = reinterpret_cast<Bytef*>(buffer);
            zip.avail_out = sizeof buffer;
            deflate(&zip, flush);
            compressed.append(buffer, sizeof buffer - zip.avail_out);
        } while (zip.avail_out == 0);
    }
    deflateEnd(&zip);
    const std::string header = be32(width) + be32(height) + std::string("\x08\x00\x00\x00\x00", 5);
    return "\x89PNG\r\n\x1A\n" + pngChunk("IHDR", header) + pngChunk("IDAT", compressed) + pngChunk("IEND", "");
}

}  // namespace

TEST(ImagePicture, PicturesFitTheScreenKeepingTheAspectRatio)
{
    const ImagePictureOptions ti89{Calculator::Ti89};
    const ImagePictureOptions ti92{Calculator::Ti92Plus};
    const auto size = [](ImageSize source, const ImagePictureOptions& options) {
        const ImageSize out = pictureSizeFor(source, options);
        return std::pair{out.width, out.height};
    };
    EXPECT_EQ(size({4000, 3000}, ti89), std::pair(133, 100));
    EXPECT_EQ(size({4000, 3000}, ti92), std::pair(171, 128));
    EXPECT_EQ(size({3000, 400}, ti89), std::pair(160, 21));
    EXPECT_EQ(size({160, 100}, ti89), std::pair(160, 100));
    EXPECT_EQ(size({161, 100}, ti89), std::pair(160, 99));
    EXPECT_EQ(size({10000, 1}, ti89), std::pair(160, 1));  // never thinner than a pixel
    EXPECT_EQ(size({1, 10000}, ti89), std::pair(1, 100));
    // Small images keep their size unless asked to fit.
    EXPECT_EQ(size({50, 40}, ti89), std::pair(50, 40));
    EXPECT_EQ(size({50, 40}, {Calculator::Ti89, true}), std::pair(125, 100));
    EXPECT_EQ(size({50, 40}, {Calculator::Voyage200, true}), std::pair(160, 128));

    for (const auto& options : {ti89, ti92}) {
        const ImagePicture picture = convertImage(pngOf(greyImage(1000, 700)), options);
        ASSERT_TRUE(picture.ok) << picture.error;
        EXPECT_EQ(picture.source.width, 1000);
        const CalcScreenSize screen = calcScreenSize(options.calculator);
        EXPECT_EQ(pictureSizeFor(picture.source, options).width, picture.bitmap.width);
        EXPECT_LE(picture.bitmap.width, screen.width);
        EXPECT_LE(picture.bitmap.height, screen.height);
        EXPECT_EQ(calcPictureSizeProblem(picture.bitmap, options.calculator), "");
    }
}

TEST(ImagePicture, DitheredToneFollowsTheSourceBlockByBlock)
{
    // Each 8 x 8 block of the picture stands for one grey cell of the source:
    // kept at 1:1, scaled down 10 times, and through each file format.
    const RawImage screenSized = blockImage(20, 12, 8, 1);
    const RawImage photo = blockImage(20, 12, 80, 2);
    for (const auto& [name, bytes, source, tolerance] : {
             std::tuple{"png", pngOf(screenSized), screenSized, 0.1},
             {"bmp", bmpOf(screenSized), screenSized, 0.1},
             {"gif", gifOf(screenSized), screenSized, 0.1},
             {"scaled png", pngOf(photo), photo, 0.1},
             {"jpeg", jpegOf(photo, 95), photo, 0.12},
         }) {
        const ImagePicture picture = convertImage(bytes, {Calculator::Ti89});
        ASSERT_TRUE(picture.ok) << name << ": " << picture.error;
        ASSERT_EQ(picture.bitmap.width, 160) << name;
        ASSERT_EQ(picture.bitmap.height, 96) << name;
        // The error a block passes to its neighbours is a few pixels.
        const Difference difference = blockDifference(picture.bitmap, source);
        EXPECT_LT(difference.worst, tolerance) << name;
        EXPECT_LT(difference.mean, 0.035) << name;
    }
}

TEST(ImagePicture, TransparencyIsWhiteAndTheThresholdKeepsLineArtCrisp)
{
    RawImage clear{40, 30, 4, std::vector<std::uint8_t>(40 * 30 * 4, 0)};  // transparent black
    for (std::size_t i = 0; i < 40 * 4; i += 4)
        clear.pixels[i + 3] = 255;  // the top row opaque
    const ImagePicture onWhite = convertImage(pngOf(clear), {Calculator::Ti89});
    ASSERT_TRUE(onWhite.ok) << onWhite.error;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(onWhite.bitmap.inked(x, y), y == 0) << x << "," << y;

    // Mid greys: dithered to a pattern, or cut clean at the threshold.
    RawImage art = greyImage(32, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            art.pixels[y * 32 + x] = x < 16 ? 100 : 160;
    const ImagePicture cut = convertImage(pngOf(art), {Calculator::Ti89, false, 128});
    ASSERT_TRUE(cut.ok);
    const ImagePicture dithered = convertImage(pngOf(art), {Calculator::Ti89});
    int mixed = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
            EXPECT_EQ(cut.bitmap.inked(x, y), x < 16);
            mixed += dithered.bitmap.inked(x, y) != (x < 16);
        }
    }
    EXPECT_GT(mixed, 100);
    EXPECT_EQ(convertImage(pngOf(art), {Calculator::Ti89, false, 255}).bitmap.rows,
              std::vector<std::uint8_t>(4 * 16, 0xFF));
}

TEST(ImagePicture, HostileOrDamagedImagesAreRefusedBeforeTheyCostMemory)
{
    const std::string png = pngOf(blockImage(20, 12, 8, 3));
    const std::string jpeg = jpegOf(blockImage(20, 12, 8, 3));
    const std::string gif = gifOf(blockImage(20, 12, 8, 3));
    const std::string bmp = bmpOf(blockImage(20, 12, 8, 3));
    std::string huge = pngOf(greyImage(1, 1));
    huge.replace(16, 8, be32(30000) + be32(30000));  // the header's width and height
    std::string hugeGif = gif;
    hugeGif.replace(6, 4, std::string("\x30\x75\x30\x75", 4));  // 30000 x 30000
    std::string hugeBmp = bmp;
    hugeBmp.replace(18, 8, std::string("\x30\x75\x00\x00\x30\x75\x00\x00", 8));
    for (const auto& [name, bytes, reason] : {
             std::tuple{"30000 x 30000 png", huge, "30000 x 30000 pixels; at most 50 million"},
             {"30000 x 30000 gif", hugeGif, "at most 50 million"},
             {"30000 x 30000 bmp", hugeBmp, "at most 50 million"},
             {"bomb", blackPng(8000, 8000), "8000 x 8000 pixels"},
             {"half a png", png.substr(0, png.size() / 2), "damaged"},
             {"half a jpeg", jpeg.substr(0, jpeg.size() / 2), "damaged"},
             {"half a gif", gif.substr(0, gif.size() / 2), "damaged"},
             {"half a bmp", bmp.substr(0, bmp.size() / 2), "damaged"},
             {"a png header", png.substr(0, 12), "damaged"},
             {"text", std::string("hello"), "Not a PNG, JPEG, GIF or BMP image"},
             {"nothing", std::string(), "Not a PNG"},
         }) {
        const ImagePicture picture = convertImage(bytes, {Calculator::Ti89});
        EXPECT_FALSE(picture.ok) << name;
        EXPECT_TRUE(picture.bitmap.rows.empty()) << name;
        EXPECT_NE(picture.error.find(reason), std::string::npos) << name << ": " << picture.error;
    }
    // Just under the limit by its header, the bomb's smaller sibling decodes.
    const ImagePicture large = convertImage(blackPng(4000, 3000), {Calculator::Ti89});
    ASSERT_TRUE(large.ok) << large.error;
    ASSERT_EQ(large.bitmap.width, 133);
    int ink = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 133; ++x)
            ink += large.bitmap.inked(x, y);
    EXPECT_EQ(ink, 133 * 100);
}
