// tessaline-process reading books: told by content or name, --chapters.
#include <gtest/gtest.h>

#include "tests/cli/cli_run.h"
#include "tests/formats/book/book_samples.h"

using namespace clitest;
using tessaline::test::codesOf;
using tessaline::test::makeEpub;
using tessaline::test::xhtml;

namespace {

const std::string kOpf = R"(<package xmlns="http://www.idpf.org/2007/opf" version="3.0"><manifest>
  <item id="a" href="a.xhtml" media-type="application/xhtml+xml"/></manifest><spine><itemref idref="a"/></spine></package>)";

}  // namespace

TEST_F(Cli, BooksAreReadByContentWhateverTheirName)
{
    const std::string book = makeEpub(
        {{"OEBPS/content.opf", kOpf}, {"OEBPS/a.xhtml", xhtml("<h1>Start</h1><p>Hello</p><h2>Deeper</h2><p>x</p>")}});
    writeFile(dir_ / "book.txt", book);
    Outcome o = run("--preset 3 " + quoted(dir_ / "book.txt"));
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, codesOf("_CHA\n_TIL Start\nHello\nDeeper\nx\n"));

    // Through a pipe, and held whole for a calculator file: the same text.
    o = run("--preset 3 --chapters 2", book, "", true);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, codesOf("_CHA\n_TIL Start\nHello\n_CHA\n_TIL Deeper\nx\n"));
    o = run("--preset 3 --format rtf " + quoted(dir_ / "book.txt"));
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.out.find("_TIL Start"), std::string::npos);
}

TEST_F(Cli, HtmlAndMarkdownByTheirNames)
{
    writeFile(dir_ / "page.html", "<h2>Only</h2><p>one&nbsp;&amp;&nbsp;two</p><img src='gone.png'>");
    Outcome o = run("--preset 3 " + quoted(dir_ / "page.html"));
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, codesOf("_CHA\n_TIL Only\none\u00a0&\u00a0two\n"));
    EXPECT_NE(o.err.find("page.html: Pictures the document shows are missing and were left out."), std::string::npos)
        << o.err;

    writeFile(dir_ / "notes.md", "# A\n\ntext\n");
    o = run("--preset 3 " + quoted(dir_ / "notes.md"));
    EXPECT_EQ(o.out, codesOf("_CHA\n_TIL A\ntext\n"));
    // The same bytes under another name are plain text.
    writeFile(dir_ / "notes.txt", "# A\n\ntext\n");
    EXPECT_EQ(run("--preset 3 " + quoted(dir_ / "notes.txt")).out, "# A\r\n\r\ntext\r\n");
}

TEST_F(Cli, BrokenBooksAndBadChapterLevelsAreRefused)
{
    writeFile(dir_ / "bad.epub", makeEpub({{"../escape", "x"}}));
    Outcome o = run(quoted(dir_ / "bad.epub"));
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "tessaline-process: " + dir_.string()
                         + "/bad.epub: The archive holds a file whose path leads out of it: \"../escape\".\n");
    EXPECT_EQ(o.out, "");

    o = run("--chapters 0");
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("--chapters must be a heading level from 1 to 9, not \"0\""), std::string::npos) << o.err;
    EXPECT_EQ(run("--chapters").status, 1);
}
