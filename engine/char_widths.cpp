#include "engine/char_widths.h"

#include <stdexcept>

#include "engine/numeric_reading.h"

namespace tessaline {

namespace {

// The width grid of the small font, one digit per code, 16 codes a row.
constexpr std::string_view kWidthDigits =
    "0000000000000056"   // 0x00
    "4444455444465555"   // 0x10
    "2246645233643424"   // 0x20
    "4444444444234444"   // 0x30
    "6444444542454654"   // 0x40
    "4544444644434344"   // 0x50
    "3444443442443644"   // 0x60
    "4443344644542456"   // 0x70
    "5445644544666555"   // 0x80
    "5666645354444644"   // 0x90
    "6255643446464384"   // 0xA0
    "5444655243465464"   // 0xB0
    "4444446444442222"   // 0xC0
    "6544444444444445"   // 0xD0
    "4444446444442222"   // 0xE0
    "6444444444444454";  // 0xF0
static_assert(kWidthDigits.size() == 256);

}  // namespace

const std::array<std::string_view, 256>& widthStrings()
{
    static const std::array<std::string_view, 256> items = [] {
        std::array<std::string_view, 256> a{};
        for (std::size_t k = 0; k < a.size(); ++k) {
            a[k] = kWidthDigits.substr(k, 1);
        }
        return a;
    }();
    return items;
}

CharWidthTable loadCharWidths(const std::vector<std::string>& items)
{
    if (items.size() < 256) {
        throw std::invalid_argument("The width list holds " + std::to_string(items.size()) + " items instead of 256");
    }
    CharWidthTable table{};
    for (std::size_t k = 1; k <= 255; ++k) {
        std::optional<std::int16_t> width = roundToInt16(readNumber(items[k]));
        if (!width) {
            throw std::out_of_range("Width item " + std::to_string(k) + " (\"" + items[k]
                                    + "\") does not fit in -32768 to 32767");
        }
        table[k] = *width;
    }
    return table;
}

const CharWidthTable& defaultCharWidths()
{
    static const CharWidthTable table = [] {
        const auto& strings = widthStrings();
        return loadCharWidths(std::vector<std::string>(strings.begin(), strings.end()));
    }();
    return table;
}

}  // namespace tessaline
