// Cross-check of the character table against the calculator library's own
// (libticonv, a test-only dependency).
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "charset/charset.h"

#ifdef TESSALINE_HAVE_TICONV
// The header uses C's "restrict", which C++ spells differently.
#define restrict __restrict
#include <ticonv.h>
#undef restrict
#endif

using namespace tessaline::charset;

namespace {

#ifdef TESSALINE_HAVE_TICONV
// libticonv's spelling of one code, as code points.
std::u32string ticonvSpelling(unsigned char code)
{
    if (code == 0)
        return std::u32string(1, char32_t(ti9x_charset[0]));
    const char ti[2] = {static_cast<char>(code), 0};
    unsigned short* utf16 = ticonv_charset_ti_to_utf16(CALC_TI89, ti);
    std::u32string out;
    for (unsigned short* p = utf16; p && *p; ++p) {
        char32_t u = *p;
        if (u >= 0xD800 && u < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000) {
            u = 0x10000 + ((u - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        }
        out.push_back(u);
    }
    ticonv_utf16_free(utf16);
    return out;
}
#endif

}  // namespace

TEST(CharsetCrossCheck, AgreesWithTheCalculatorLibraryExceptTheKnownOverrides)
{
#ifndef TESSALINE_HAVE_TICONV
    GTEST_SKIP() << "libticonv is not installed";
#else
    // Where this program shows something else: visible stand-ins for the
    // control codes that libticonv maps to invisible characters, and 149 and
    // 151, whose libticonv values are wrongly encoded surrogate pairs
    // (U+2D5A4, U+2D48A instead of the mathematical letters).
    const std::set<int> overrides = {0, 1, 2, 3, 4, 5, 6, 7, 8, 12, 149, 151};
    for (int c = 0; c < 256; ++c) {
        const auto code = static_cast<unsigned char>(c);
        const std::u32string theirs = ticonvSpelling(code);
        ASSERT_FALSE(theirs.empty()) << c;
        if (overrides.count(c)) {
            EXPECT_NE(theirs, shown(code)) << "no longer an override: " << c;
        } else {
            EXPECT_EQ(theirs, shown(code)) << c;
        }
        // Either way, libticonv's spelling reads back as the same code.
        const Conversion back = fromUnicode(theirs);
        EXPECT_EQ(back.codes, std::string(1, static_cast<char>(c))) << c;
        EXPECT_EQ(back.replaced, 0u) << c;
    }
#endif
}
