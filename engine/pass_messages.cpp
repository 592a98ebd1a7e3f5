#include "engine/pass_messages.h"

namespace tessaline::passMessages {

std::string tooShort(const LineSettings& settings, unsigned char code)
{
    if (!settings.MeasureInPixels) {
        return "Line length " + std::to_string(settings.LineLimit) + " characters admits no character";
    }
    return "Line length " + std::to_string(settings.LineLimit) + " pixels is too short for character " +
           std::to_string(code) + " (" + std::to_string(settings.CharWidths[code]) + " pixels wide)";
}

}  // namespace tessaline::passMessages
