// --send: the processed text onto a connected calculator.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"

namespace tessaline::cli {

// The exit status of a failed link.
inline constexpr int kLinkFailed = 3;

// Sends `codes` (the processed text), then `pictures`, as `options` ask; returns the exit
// status: 0 sent, 1 a text or name the variables cannot hold (refused before
// any cable is opened), kLinkFailed for anything that went wrong on the link.
// Says what happened in one line on standard error.
int sendProcessedText(const Options& options, std::string codes, std::vector<CalcPicture> pictures = {});

}  // namespace tessaline::cli
