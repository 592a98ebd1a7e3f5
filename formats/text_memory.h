// Room for a large text. Internal to the file formats.
#pragma once

#include <cstddef>
#include <string>

namespace tessaline::internal {

// Reserves room for `bytes` in `out`. A text of many megabytes is asked to
// live on large pages where the system offers them: filling it then takes one
// page fault per 2 MB instead of one per 4 KB, which on a 100 MB file is most
// of the time decoding takes.
void reserveText(std::string& out, std::size_t bytes);

}  // namespace tessaline::internal
