// The operations of the plain text-buffer model the tests edit with.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/text_buffer.h"

using tessaline::TextBuffer;

TEST(TextBuffer, ReadsCharactersByPosition)
{
    TextBuffer b(std::string("ab\xAE", 3));
    EXPECT_EQ(b.length(), 3u);
    EXPECT_EQ(b.charAt(1), 'a');
    EXPECT_EQ(b.charAt(3), 174);
    EXPECT_THROW(b.charAt(0), std::out_of_range);
    EXPECT_THROW(b.charAt(4), std::out_of_range);
}

TEST(TextBuffer, SelectionAndReplacement)
{
    TextBuffer b("abcdef");
    b.setSelStart(2);
    b.setSelLength(3);
    EXPECT_EQ(b.selLength(), 3u);
    // Setting the start after a selection leaves nothing selected.
    b.setSelStart(1);
    EXPECT_EQ(b.selStart(), 1u);
    EXPECT_EQ(b.selLength(), 0u);

    // Insertion with an empty selection.
    b.setSelStart(2);
    b.replaceSelection("\r\n");
    EXPECT_EQ(b.text(), "ab\r\ncdef");
    EXPECT_EQ(b.charAt(3), 13);
    EXPECT_EQ(b.charAt(4), 10);
    EXPECT_EQ(b.selStart(), 4u);
    EXPECT_EQ(b.selLength(), 0u);

    // Removal of one character.
    b.setSelStart(5);
    b.setSelLength(1);
    b.replaceSelection("");
    EXPECT_EQ(b.text(), "ab\r\ncef");
    EXPECT_EQ(b.selStart(), 5u);

    // Clamping at the end of the text.
    b.setSelStart(100);
    EXPECT_EQ(b.selStart(), 7u);
    b.setSelStart(6);
    b.setSelLength(10);
    EXPECT_EQ(b.selLength(), 1u);
    b.replaceSelection("XY");
    EXPECT_EQ(b.text(), "ab\r\nceXY");

    b.setText("new");
    EXPECT_EQ(b.selStart(), 0u);
    EXPECT_EQ(b.selLength(), 0u);
    EXPECT_EQ(b.length(), 3u);
}
