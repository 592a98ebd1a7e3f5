#include <gtest/gtest.h>

#include "richtext/charset.h"

TEST(Charset, ShowsEveryCodeAsOneVisibleCharacter)
{
    for (int code = 0; code < 256; ++code) {
        auto s = tessaline::charset::shown(static_cast<unsigned char>(code));
        EXPECT_FALSE(s.empty()) << code;
    }
}
