// Counts as every window shows them: decimal with the user's group separator
// ("153,735"), as the output window's size caption has them.
#pragma once

#include <QString>
#include <cstdint>

namespace tessaline {

QString formatCount(std::int64_t value);

}  // namespace tessaline
