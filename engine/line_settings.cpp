#include "engine/line_settings.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "engine/numeric_reading.h"

namespace tessaline {

const std::array<Preset, kPresetCount>& presets()
{
    static const std::array<Preset, kPresetCount> table{{
        {"Folivane on TI89 (160pixels)", true, 160, false},
        {"Folivane on TI92+ (240pixels)", true, 240, false},
        {"Text Editor on TI89  (23chars)", false, 23, false},
        {"Text Editor on TI92+ (37chars)", false, 37, false},
        {"Custom (number of characters)", false, 0, true},
        {"Custom (number of pixels)", true, 0, true},
    }};
    return table;
}

void applyPreset(int presetIndex, LineSettings& settings)
{
    if (presetIndex < 0 || presetIndex >= kPresetCount) {
        return;
    }
    const Preset& preset = presets()[static_cast<std::size_t>(presetIndex)];
    if (preset.custom) {
        return;
    }
    settings.measureInPixels = preset.measureInPixels;
    settings.lineLimit = preset.lineLimit;
}

namespace {

// The shortest decimal text that reads back as `value` ("40000", "32767.5").
std::string formatValue(double value)
{
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc()) {
        return "?";
    }
    return std::string(buffer, end);
}

// The text as typed, without its surrounding blanks, in quotes (long texts
// cut short).
std::string quotedText(std::string_view text)
{
    constexpr std::string_view kBlanks = " \t\r\n";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return "\"\"";
    }
    text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
    constexpr std::size_t kMost = 40;
    std::string shown(text.substr(0, kMost));
    if (text.size() > kMost) {
        shown += "...";
    }
    return "\"" + shown + "\"";
}

}  // namespace

Refusal applyCustomLength(int presetIndex, std::string_view customText, LineSettings& settings)
{
    if (presetIndex != 4 && presetIndex != 5) {
        return {};
    }
    double value = readNumber(customText);
    std::optional<std::int16_t> limit = roundToInt16(value);
    if (!limit) {
        // A number too large for any value is named as it was typed.
        const std::string shown = std::isfinite(value) ? formatValue(value) : quotedText(customText);
        return {true, "Custom size " + shown + " is outside -32768 to 32767"};
    }
    settings.measureInPixels = presetIndex == 5;
    settings.lineLimit = *limit;
    return {};
}

}  // namespace tessaline
