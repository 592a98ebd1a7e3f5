#include "formats/calc_picture.h"

#include <algorithm>

namespace tessaline {

namespace {

constexpr unsigned char kPictureTag = 0xDF;
// Size word, height and width before the rows, the tag after them.
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kDataOverhead = kHeaderSize + 1;

void putBe16(std::string& out, unsigned value)
{
    out.push_back(static_cast<char>(value >> 8 & 0xFF));
    out.push_back(static_cast<char>(value & 0xFF));
}

unsigned readBe16(std::string_view bytes, std::size_t at)
{
    return static_cast<unsigned char>(bytes[at]) << 8 | static_cast<unsigned char>(bytes[at + 1]);
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

CalcScreenSize calcScreenSize(Calculator calculator)
{
    return calculator == Calculator::Ti89 ? CalcScreenSize{160, 100} : CalcScreenSize{240, 128};
}

std::string calcPictureExtension(Calculator calculator)
{
    // The text file's extension with the picture's letter.
    std::string extension = calcFileExtension({calculator, false});
    extension.back() = 'i';
    return extension;
}

std::optional<Calculator> calcPictureCalculatorFromExtension(std::string_view extension)
{
    if (extension.starts_with('.'))
        extension.remove_prefix(1);
    for (Calculator calculator : {Calculator::Ti89, Calculator::Ti92Plus, Calculator::Voyage200}) {
        const std::string wanted = calcPictureExtension(calculator);
        if (extension.size() == wanted.size()
            && std::equal(extension.begin(), extension.end(), wanted.begin(),
                          [](char a, char b) { return lowerAscii(a) == b; }))
            return calculator;
    }
    return std::nullopt;
}

std::string calcPictureSizeProblem(const MonoBitmap& bitmap, Calculator calculator)
{
    const CalcScreenSize screen = calcScreenSize(calculator);
    const auto size = [](int width, int height) {
        return std::to_string(width) + " x " + std::to_string(height) + " pixels";
    };
    if (bitmap.width <= 0 || bitmap.height <= 0)
        return "the picture is empty.";
    if (bitmap.width > screen.width || bitmap.height > screen.height)
        return "the picture is " + size(bitmap.width, bitmap.height) + ", larger than the calculator's screen ("
               + size(screen.width, screen.height) + ").";
    return {};
}

std::string calcPictureData(const MonoBitmap& bitmap)
{
    std::string data;
    data.reserve(bitmap.rows.size() + kDataOverhead);
    putBe16(data, static_cast<unsigned>(bitmap.rows.size() + kDataOverhead - 2));
    putBe16(data, static_cast<unsigned>(bitmap.height));
    putBe16(data, static_cast<unsigned>(bitmap.width));
    data.append(bitmap.rows.begin(), bitmap.rows.end());
    data.push_back(static_cast<char>(kPictureTag));
    return data;
}

CalcPictureDecode decodeCalcPictureData(std::string_view data)
{
    CalcPictureDecode result;
    if (data.size() < kDataOverhead) {
        result.error = "its data (" + std::to_string(data.size()) + " bytes) is too short for a picture.";
        return result;
    }
    const std::size_t sizeWord = readBe16(data, 0);
    const int height = static_cast<int>(readBe16(data, 2));
    const int width = static_cast<int>(readBe16(data, 4));
    if (sizeWord + 2 != data.size()) {
        result.error = "its size word says " + std::to_string(sizeWord) + " bytes follow, but "
                       + std::to_string(data.size() - 2) + " do.";
        return result;
    }
    if (static_cast<unsigned char>(data.back()) != kPictureTag) {
        result.error = "it does not end with the picture tag (0xDF).";
        return result;
    }
    if (width == 0 || height == 0) {
        result.error = "it is empty (" + std::to_string(width) + " x " + std::to_string(height) + " pixels).";
        return result;
    }
    const std::size_t rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
    const std::size_t bitmapBytes = data.size() - kDataOverhead;
    if (rowBytes * static_cast<std::size_t>(height) != bitmapBytes) {
        result.error = "its " + std::to_string(width) + " x " + std::to_string(height) + " pixels need "
                       + std::to_string(rowBytes * height) + " bytes of rows, and it holds "
                       + std::to_string(bitmapBytes) + ".";
        return result;
    }
    MonoBitmap bitmap(width, height);
    const std::string_view rows = data.substr(kHeaderSize, bitmapBytes);
    std::copy(rows.begin(), rows.end(), bitmap.rows.begin());
    // The padding bits of each row are not pixels.
    if (const int used = width % 8; used != 0) {
        const auto mask = static_cast<std::uint8_t>(0xFF << (8 - used));
        for (std::size_t row = 0; row < static_cast<std::size_t>(height); ++row)
            bitmap.rows[row * rowBytes + rowBytes - 1] &= mask;
    }
    result.bitmap = std::move(bitmap);
    return result;
}

}  // namespace tessaline
