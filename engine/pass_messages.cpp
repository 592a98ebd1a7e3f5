#include "engine/pass_messages.h"

#include "charset/charset.h"

namespace tessaline::messages {

namespace {

// A character as the user sees it in the editor: its shown form in quotes,
// or a name where the shown form is blank or no character at all.
std::string characterAsSeen(unsigned char code)
{
    switch (code) {
    case 9:
        return "the tab";
    case 10:
        return "the line feed";
    case 13:
        return "the carriage return";
    case 32:
        return "the space";
    default:
        return "character \"" + charset::encodeUtf8(charset::shown(code)) + "\"";
    }
}

}  // namespace

std::string tooShort(const LineSettings& settings, unsigned char code)
{
    if (!settings.measureInPixels) {
        return "Line length " + std::to_string(settings.lineLimit) + " characters admits no character";
    }
    return "Line length " + std::to_string(settings.lineLimit) + " pixels is too short for " + characterAsSeen(code)
           + " (code " + std::to_string(code) + ", " + std::to_string(settings.charWidths[code]) + " pixels wide)";
}

}  // namespace tessaline::messages
