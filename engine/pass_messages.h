// Messages of the line-break pass and its checks.
#pragma once

#include <string>

#include "engine/line_settings.h"

namespace tessaline::passMessages {

// "Line length 3 pixels is too short for character 174 (8 pixels wide)" or
// "Line length 0 characters admits no character".
std::string tooShort(const LineSettings& settings, unsigned char code);

}  // namespace tessaline::passMessages
