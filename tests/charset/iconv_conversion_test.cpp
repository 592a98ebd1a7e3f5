#include <gtest/gtest.h>

#include <string>

#include "charset/iconv_conversion.h"

using tessaline::internal::IconvConversion;

TEST(IconvConversion, ConvertsWholeInputsOrNothing)
{
    IconvConversion toUtf8("UTF-8", "ISO-8859-1");
    ASSERT_TRUE(toUtf8.isOpen());
    EXPECT_EQ(toUtf8.convert("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(toUtf8.convert(""), "");
    // Each call starts afresh, whatever the one before left.
    EXPECT_EQ(toUtf8.convert("\xFF"), "\xC3\xBF");

    // A result longer than allowed, and an input without a conversion.
    EXPECT_EQ(toUtf8.convert("\xE9\xE9", 4), "\xC3\xA9\xC3\xA9");
    EXPECT_FALSE(toUtf8.convert("\xE9\xE9", 3).has_value());
    IconvConversion toLatin1("ISO-8859-1", "UTF-8");
    EXPECT_FALSE(toLatin1.convert("\xE2\x82\xAC").has_value());  // the euro sign
    EXPECT_FALSE(toLatin1.convert("\xC3").has_value());          // a sequence cut short
    EXPECT_EQ(toLatin1.convert("\xC3\xA9"), "\xE9");

    IconvConversion unknown("UTF-8", "NO-SUCH-ENCODING-42");
    EXPECT_FALSE(unknown.isOpen());
    EXPECT_FALSE(unknown.convert("a").has_value());
}
