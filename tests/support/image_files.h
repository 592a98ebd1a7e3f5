// Image files made in memory for tests and benchmarks: PNG, JPEG and BMP by
// the stb encoder, GIF by a small encoder of our own (every pixel its own
// code, so no compression to get wrong).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace tessaline::test {

// Pixels with `channels` bytes each (1 grey, 2 grey + alpha, 3 RGB, 4 RGBA).
struct RawImage {
    int width = 0;
    int height = 0;
    int channels = 1;
    std::vector<std::uint8_t> pixels;
};

inline RawImage greyImage(int width, int height)
{
    return {width, height, 1, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, 255)};
}

inline void appendBytes(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

inline std::string pngOf(const RawImage& image)
{
    std::string out;
    stbi_write_png_to_func(appendBytes, &out, image.width, image.height, image.channels, image.pixels.data(),
                           image.width * image.channels);
    return out;
}

inline std::string jpegOf(const RawImage& image, int quality = 90)
{
    std::string out;
    stbi_write_jpg_to_func(appendBytes, &out, image.width, image.height, image.channels, image.pixels.data(), quality);
    return out;
}

inline std::string bmpOf(const RawImage& image)
{
    std::string out;
    stbi_write_bmp_to_func(appendBytes, &out, image.width, image.height, image.channels, image.pixels.data());
    return out;
}

// A GIF of a grey image (one channel) with a 256-grey palette.
inline std::string gifOf(const RawImage& image)
{
    std::string out = "GIF89a";
    const auto le16 = [&out](int value) {
        out.push_back(static_cast<char>(value & 0xFF));
        out.push_back(static_cast<char>(value >> 8));
    };
    le16(image.width);
    le16(image.height);
    out += std::string("\xF7\x00\x00", 3);  // a global table of 256 colours
    for (int i = 0; i < 256; ++i)
        out += std::string(3, static_cast<char>(i));
    out += ",";
    le16(0);
    le16(0);
    le16(image.width);
    le16(image.height);
    out += std::string("\x00\x08", 2);  // no local table; 8-bit codes
    // 9-bit codes: a clear code before every 254 pixels keeps the width.
    std::string codes;
    std::uint32_t bits = 0;
    int count = 0;
    const auto put = [&](unsigned code) {
        bits |= code << count;
        count += 9;
        while (count >= 8) {
            codes.push_back(static_cast<char>(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
    };
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        if (i % 254 == 0)
            put(256);
        put(image.pixels[i]);
    }
    put(257);
    if (count > 0)
        codes.push_back(static_cast<char>(bits & 0xFF));
    for (std::size_t at = 0; at < codes.size(); at += 255) {
        const std::string block = codes.substr(at, 255);
        out.push_back(static_cast<char>(block.size()));
        out += block;
    }
    out += std::string("\x00;", 2);
    return out;
}

}  // namespace tessaline::test
