// The width table and the number reading at the edges where a slip of one
// digit goes unnoticed elsewhere: the table is compared with a copy typed in
// separately from the font's published width grid, not with the program's own
// list.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "engine/char_widths.h"
#include "engine/numeric_reading.h"

namespace tessaline {
namespace {

// Row r holds the widths of codes 16r to 16r+15.
constexpr const char* kPublishedGrid = R"(
0 0 0 0 0 0 0 0 0 0 0 0 0 0 5 6
4 4 4 4 4 5 5 4 4 4 4 6 5 5 5 5
2 2 4 6 6 4 5 2 3 3 6 4 3 4 2 4
4 4 4 4 4 4 4 4 4 4 2 3 4 4 4 4
6 4 4 4 4 4 4 5 4 2 4 5 4 6 5 4
4 5 4 4 4 4 4 6 4 4 4 3 4 3 4 4
3 4 4 4 4 4 3 4 4 2 4 4 3 6 4 4
4 4 4 3 3 4 4 6 4 4 5 4 2 4 5 6
5 4 4 5 6 4 4 5 4 4 6 6 6 5 5 5
5 6 6 6 6 4 5 3 5 4 4 4 4 6 4 4
6 2 5 5 6 4 3 4 4 6 4 6 4 3 8 4
5 4 4 4 6 5 5 2 4 3 4 6 5 4 6 4
4 4 4 4 4 4 6 4 4 4 4 4 2 2 2 2
6 5 4 4 4 4 4 4 4 4 4 4 4 4 4 5
4 4 4 4 4 4 6 4 4 4 4 4 2 2 2 2
6 4 4 4 4 4 4 4 4 4 4 4 4 4 5 4
)";

TEST(CharWidthGrid, EveryCodeHasItsPublishedWidth)
{
    std::istringstream grid(kPublishedGrid);
    const CharWidthTable& table = defaultCharWidths();
    int code = 0;
    for (int width = 0; grid >> width; ++code) {
        // Entry 0 is never loaded, whatever the list holds for it.
        EXPECT_EQ(table[static_cast<std::size_t>(code)], code == 0 ? 0 : width) << "code " << code;
    }
    EXPECT_EQ(code, 256);
    EXPECT_EQ(table[256], 0);
}

TEST(NumericReading, OctalStopsAtTheFirstDigitAboveSeven)
{
    EXPECT_EQ(readNumber("&O7"), 7.0);
    EXPECT_EQ(readNumber("&O8"), 0.0);
    EXPECT_EQ(readNumber("&O18"), 1.0);
    EXPECT_EQ(readNumber("&O170"), 120.0);
}

}  // namespace
}  // namespace tessaline
