// Line-length settings: the shared values the line-break pass reads, the six
// presets of the "Desired Line Length" box and the custom-length rule.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/char_widths.h"

namespace tessaline {

class Hyphenator;

struct LineSettings {
    CharWidthTable charWidths{};   // all 0 until the widths are loaded
    std::int16_t lineLimit = 160;  // pixels or characters
    bool measureInPixels = true;
    // The dictionary that lets word wrap break words; none: hyphenation off.
    // Not owned: it outlives every pass that reads these settings.
    const Hyphenator* hyphenator = nullptr;
};

struct Preset {
    std::string_view itemText;  // exactly as the combo box shows it
    bool measureInPixels;
    std::int16_t lineLimit;  // 0 for the custom presets
    bool custom;             // true: length taken from the custom-size box at a run
};

inline constexpr int kPresetCount = 6;
const std::array<Preset, kPresetCount>& presets();

// Sets measureInPixels and lineLimit for a fixed preset (0 to 3); does nothing
// for the custom presets and for indices out of range.
void applyPreset(int presetIndex, LineSettings& settings);

// Outcome of a check that may refuse a run before it starts.
struct Refusal {
    bool refused = false;
    std::string message;  // one line, names the limit (and the character) at fault
    explicit operator bool() const { return refused; }
};

// The custom-length rule, applied at the start of every run: for preset 4
// (characters) or 5 (pixels) measureInPixels is set and lineLimit is read from
// `customText`; other presets change nothing. A value that rounds outside
// -32768..32767 is refused: the settings stay as they were.
Refusal applyCustomLength(int presetIndex, std::string_view customText, LineSettings& settings);

}  // namespace tessaline
