#include "engine/line_settings.h"

#include <charconv>
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
    settings.MeasureInPixels = preset.measureInPixels;
    settings.LineLimit = preset.lineLimit;
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

}  // namespace

Refusal applyCustomLength(int presetIndex, std::string_view customText, LineSettings& settings)
{
    if (presetIndex != 4 && presetIndex != 5) {
        return {};
    }
    double value = readNumber(customText);
    std::optional<std::int16_t> limit = roundToInt16(value);
    if (!limit) {
        return {true, "Custom size " + formatValue(value) + " is outside -32768 to 32767"};
    }
    settings.MeasureInPixels = presetIndex == 5;
    settings.LineLimit = *limit;
    return {};
}

}  // namespace tessaline
