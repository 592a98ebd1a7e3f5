// Messages of the line-break pass and its checks.
#pragma once

#include <string>

#include "engine/line_settings.h"

namespace tessaline::messages {

// "Line length 5 pixels is too short for character "m" (code 109, 6 pixels
// wide)", "... too short for the line feed (code 10, ...)" or "Line length 0
// characters admits no character".
std::string tooShort(const LineSettings& settings, unsigned char code);

}  // namespace tessaline::messages
