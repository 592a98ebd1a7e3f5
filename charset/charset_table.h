// The raw table behind the calculator character set: for each 8-bit code the
// Unicode text shown for it and further spellings read back as that code.
#pragma once

#include <array>
#include <string_view>
#include <vector>

namespace tessaline::charset {

struct CodeEntry {
    std::u32string_view shown;                  // one visible character (two code points for 154, 155)
    std::vector<std::u32string_view> alsoRead;  // other spellings of the same code
};

const std::array<CodeEntry, 256>& codeTable();

}  // namespace tessaline::charset
