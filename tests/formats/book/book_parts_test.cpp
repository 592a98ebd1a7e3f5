#include <gtest/gtest.h>

#include "formats/book/book_path.h"
#include "formats/book/book_writer.h"
#include "formats/book/style_sheet.h"
#include "formats/book/zip_archive.h"

namespace tessaline::book {
namespace {

TEST(BookPath, LinksResolveAgainstTheirFileAndNeverClimbAboveTheTop)
{
    EXPECT_EQ(resolvedPath("OEBPS/Text/a.xhtml", "../Images/b%20c.png#x"), "OEBPS/Images/b c.png");
    EXPECT_EQ(resolvedPath("OEBPS/Text/a.xhtml", "./d/./e.xhtml?q=1"), "OEBPS/Text/d/e.xhtml");
    EXPECT_EQ(resolvedPath("OEBPS/a.xhtml", "/top.png"), "top.png");
    EXPECT_EQ(resolvedPath("a.xhtml", "b.png"), "b.png");
    EXPECT_EQ(resolvedPath("OEBPS/a.xhtml", "../../b.png"), "");
    EXPECT_EQ(resolvedPath("OEBPS/a.xhtml", "http://example.com/b.png"), "");
    EXPECT_EQ(resolvedPath("OEBPS/a.xhtml", "#only-a-fragment"), "");
    EXPECT_EQ(resolvedPath("OEBPS/a.xhtml", "dir:with/colon.png"), "");
    EXPECT_EQ(resolvedPath("OEBPS/a.xhtml", "dir/with:colon.png"), "OEBPS/dir/with:colon.png");
    EXPECT_EQ(percentDecoded("%41%zz%4"), "A%zz%4");
    EXPECT_EQ(fragmentOf("a.xhtml#sec%201"), "sec 1");
}

TEST(BookPath, ArchiveNamesThatClimbOut)
{
    for (const char* name : {"../a", "a/../../b", "/etc/passwd", "C:/x", "a\\..\\..\\b", "..", ""})
        EXPECT_TRUE(climbsOut(name)) << name;
    for (const char* name : {"a", "a/b..c", "..a/b", "a/.../b"})
        EXPECT_FALSE(climbsOut(name)) << name;
}

TEST(StyleSheet, HiddenClassesFromSimpleSelectorsOnly)
{
    std::set<std::string> classes;
    addHiddenClasses(
        ".a{display:none} span.b, div .c, .d > p, .e:hover { Display : None !important } "
        "@media print { .f { display: none } } .g { display: block } .h{visibility:hidden} .i{display:none",
        classes);
    EXPECT_EQ(classes, (std::set<std::string>{"a", "b", "h", "i"}));
    EXPECT_TRUE(styleHides("color: red; DISPLAY:  none"));
    EXPECT_FALSE(styleHides("display: inline"));
}

TEST(BookWriter, PictureNamesAreCalculatorNames)
{
    std::set<std::string> taken;
    EXPECT_EQ(pictureNameFor("dir.d/Cover Image.PNG", taken), "coverima");
    EXPECT_EQ(pictureNameFor("2_x_y-z.png", taken), "x_yz");
    EXPECT_EQ(pictureNameFor("...", taken), "pic");
    EXPECT_EQ(pictureNameFor(".hidden", taken), "hidden");
    taken = {"pic", "pic1", "pic2"};
    EXPECT_EQ(pictureNameFor("pic.png", taken), "pic3");
    for (int i = 1; i <= 120; ++i)
        taken.insert(i < 10    ? "abcdefg" + std::to_string(i)
                     : i < 100 ? "abcdef" + std::to_string(i)
                               : "abcde" + std::to_string(i));
    taken.insert("abcdefgh");
    EXPECT_EQ(pictureNameFor("abcdefghij.png", taken), "abcde121");
}

TEST(BookWriter, HeadingsBecomeChaptersOrLinesAndTitlesAreNotRepeated)
{
    BookWriter writer;
    writer.setChapterLevel(1);
    writer.text("  front   matter ");
    writer.chapter("A  title");
    writer.heading(1, " a TITLE ");  // the same title: not written again
    writer.text("body");
    writer.heading(2, "Sub");
    writer.heading(1, "");  // an empty heading starts no chapter
    writer.breakLine();
    writer.breakLine();
    writer.literal("x\ny");
    EXPECT_EQ(writer.finish().codes, "front matter\r\n_CHA\r\n_TIL A title\r\nbody\r\nSub\r\n\r\n\r\nx\r\ny");
}

}  // namespace
}  // namespace tessaline::book
