#include "formats/book/epub_reader.h"

#include <gtest/gtest.h>

#include "formats/book/zip_archive.h"
#include "tests/formats/book/book_samples.h"

namespace tessaline::book {
namespace {

using test::codesOf;
using test::makeEpub;
using test::xhtml;
using test::ZipEntry;

const std::string kOpf3 = R"(<?xml version="1.0" encoding="utf-8"?>
<package xmlns="http://www.idpf.org/2007/opf" version="3.0" unique-identifier="id">
  <metadata xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:title>Sample</dc:title></metadata>
  <manifest>
    <item id="nav" href="Text/nav.xhtml" media-type="application/xhtml+xml" properties="nav"/>
    <item id="c1" href="Text/chapter%201.xhtml" media-type="application/xhtml+xml"/>
    <item id="c2" href="Text/ch2.xhtml" media-type="application/xhtml+xml"/>
    <item id="notes" href="Text/notes.xhtml" media-type="application/xhtml+xml"/>
    <item id="css" href="Styles/book.css" media-type="text/css"/>
    <item id="p1" href="Images/my%20picture.png" media-type="image/png"/>
    <item id="p2" href="Images/cover.png" media-type="image/png"/>
  </manifest>
  <spine><itemref idref="notes" linear="no"/><itemref idref="c1"/><itemref idref="c2"/></spine>
</package>)";

const std::string kNav =
    xhtml(R"(<nav epub:type="landmarks"><ol><li><a href="ch2.xhtml">Not this one</a></li></ol></nav>
<nav epub:type="toc"><h1>Contents</h1><ol>
  <li><a href="chapter%201.xhtml">The Beginning</a></li>
  <li><a href="ch2.xhtml">Second</a><ol><li><a href="ch2.xhtml#part-b">Part  B</a></li></ol></li>
  <li><a href="notes.xhtml">Notes</a></li>
</ol></nav>)");

const std::string kCss = R"(/* .commented { display: none } */
@import url(other.css);
.secret { display : NONE }
p.aside{display:none}
@media print { .noprint { display: none } }
h1, .also-hidden { color: red; visibility: hidden })";

// Not well-formed as XML (an HTML entity without a DTD): the HTML parser reads it.
const std::string kChapter1 = xhtml(R"(<h1>The  Beginning</h1>
<p>Caf&eacute; &amp; cr&#232;me&nbsp;br&ucirc;l&eacute;e&#x2014;done.</p>
<p class="x secret">Hidden by class</p><p hidden="hidden">Hidden attribute</p>
<div style="color: red; display: none">Hidden style</div><span class="also-hidden">Hidden too</span>
<p class="noprint">Shown on screen</p><script>var hidden = "script";</script>
<p>Look: <img src="../Images/my%20picture.png" alt="a picture"/></p>
<p>Two<br/>lines</p>)",
                                    "<style>.inline-hidden { display: none }</style>")
                              + "<!-- <p class=\"inline-hidden\"> -->";

const std::string kChapter2 =
    xhtml(R"(<h2>Second</h2><p>Alpha <span class="inline-hidden">kept: the style is another file's</span></p>
<h3 id="part-b">Part B</h3><p>Beta</p><p class="aside">aside hidden</p>
<div><svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"><image xlink:href="../Images/cover.png"/></svg></div>
<p><img src="../Images/my%20picture.png"/></p>)");

std::string epub3Sample()
{
    return makeEpub({{"OEBPS/content.opf", kOpf3},
                     {"OEBPS/Text/nav.xhtml", kNav},
                     {"OEBPS/Text/chapter 1.xhtml", kChapter1},
                     {"OEBPS/Text/ch2.xhtml", kChapter2},
                     {"OEBPS/Text/notes.xhtml", xhtml("<p>Note one</p>")},
                     {"OEBPS/Styles/book.css", kCss},
                     {"OEBPS/Images/my picture.png", "PNG one"},
                     {"OEBPS/Images/cover.png", "PNG two"}});
}

const std::string kChapter1Text =
    "_CHA\n_TIL The Beginning\n"
    "Café & crème\u00a0brûlée\u2014done.\n"
    "Shown on screen\nLook:\n_PIC mypictur\nTwo\nlines\n";

TEST(EpubReader, Epub3ChaptersFollowTheNavigationDocumentInReadingOrder)
{
    const BookText book = readEpub(epub3Sample());
    ASSERT_TRUE(book.ok) << book.error;
    EXPECT_EQ(book.codes, codesOf(kChapter1Text
                                  + "_CHA\n_TIL Second\nAlpha kept: the style is another file's\n"
                                    "_CHA\n_TIL Part B\nBeta\n_PIC cover\n_PIC mypictur\n"
                                    "_CHA\n_TIL Notes\nNote one"));
    EXPECT_EQ(book.replaced, charset::fromUtf8(kChapter1Text).replaced);
    EXPECT_EQ(book.warning, "");
    ASSERT_EQ(book.pictures.size(), 2u);  // one picture shown twice is kept once
    EXPECT_EQ(book.pictures[0].name, "mypictur");
    EXPECT_EQ(book.pictures[0].bytes, "PNG one");
    EXPECT_EQ(book.pictures[0].mediaType, "image/png");
    EXPECT_EQ(book.pictures[1].name, "cover");
    EXPECT_EQ(book.pictures[1].bytes, "PNG two");
}

TEST(EpubReader, ChapterLevelLimitsTheTableOfContentsDepth)
{
    BookOptions options;
    options.chapterLevel = 1;
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    options.progress = [&](std::size_t done, std::size_t total) { progress.emplace_back(done, total); };
    const BookText book = readEpub(epub3Sample(), options);
    ASSERT_TRUE(book.ok) << book.error;
    EXPECT_NE(book.codes.find(codesOf("_CHA\n_TIL Second\nAlpha kept: the style is another file's\nPart B\nBeta\n")),
              std::string::npos);
    EXPECT_EQ(book.codes.find(codesOf("_TIL Part B")), std::string::npos);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(std::size_t{3}, std::size_t{3}));
}

const std::string kOpf2 = R"(<?xml version="1.0"?>
<package xmlns="http://www.idpf.org/2007/opf" version="2.0">
  <manifest>
    <item id="ncx" href="toc.ncx" media-type="application/x-dtbncx+xml"/>
    <item id="a" href="chap%C3%AEtre%201.html" media-type="application/xhtml+xml"/>
    <item id="b" href="b.html" media-type="application/xhtml+xml"/>
    <item id="pic" href="img/Photo_2.JPG" media-type="image/jpeg"/>
  </manifest>
  <spine toc="ncx"><itemref idref="a"/><itemref idref="b"/></spine>
</package>)";

const std::string kNcx = R"(<?xml version="1.0"?>
<ncx xmlns="http://www.daisy.org/z3986/2005/ncx/" version="2005-1"><navMap>
  <navPoint id="n1"><navLabel><text>Chapter One</text></navLabel><content src="chap%C3%AEtre%201.html"/>
    <navPoint id="n2"><navLabel><text>Inner &amp; deeper</text></navLabel><content src="chap%C3%AEtre%201.html#inner"/></navPoint>
  </navPoint>
  <navPoint id="n3"><navLabel><text>Missing anchor</text></navLabel><content src="b.html#nowhere"/></navPoint>
</navMap></ncx>)";

TEST(EpubReader, Epub2TitlesComeFromTheNcxAndBrokenHtmlIsRead)
{
    const std::string book2 = makeEpub(
        {{"OEBPS/content.opf", kOpf2},
         {"OEBPS/toc.ncx", kNcx},
         {"OEBPS/chapître 1.html",
          "<html><head><style>.gone{display:none}</style></head><body><h1>Chapter   One</h1><p>Unclosed &hellip; "
          "<b>bold</p><P>next<br>line<p id=inner>third<p class=gone>gone</body>"},
         {"OEBPS/b.html",
          "<html><body><p>B text <IMG SRC='img/Photo_2.JPG'></p><table><tr><td>c1</td><td>c2</td></tr>"
          "<tr><td>c3</td></tr></table><pre>  kept   spaces\n  two</pre></body></html>"},
         {"OEBPS/img/Photo_2.JPG", "JPEG"}});
    const BookText book = readEpub(book2);
    ASSERT_TRUE(book.ok) << book.error;
    EXPECT_EQ(book.codes,
              codesOf("_CHA\n_TIL Chapter One\nUnclosed \u2026 bold\nnext\nline\n"
                      "_CHA\n_TIL Inner & deeper\nthird\n"
                      "_CHA\n_TIL Missing anchor\nB text\n_PIC photo_2\nc1 c2\nc3\n  kept   spaces\n  two"));
    ASSERT_EQ(book.pictures.size(), 1u);
    EXPECT_EQ(book.pictures[0].mediaType, "image/jpeg");
}

TEST(EpubReader, WithoutTableOfContentsEachChapterIsTitledByItsFirstHeading)
{
    const std::string opf = R"(<package xmlns="http://www.idpf.org/2007/opf" version="3.0"><manifest>
      <item id="a" href="a.xhtml" media-type="application/xhtml+xml"/>
      <item id="b" href="b.xhtml" media-type="application/xhtml+xml"/>
      <item id="c" href="c.xhtml" media-type="application/xhtml+xml"/></manifest>
      <spine><itemref idref="a"/><itemref idref="b"/><itemref idref="c"/></spine></package>)";
    const std::string book3 = makeEpub({{"OEBPS/content.opf", opf},
                                        {"OEBPS/a.xhtml", xhtml("<h2>First</h2><p>one</p><h3>Sub</h3><p>two</p>")},
                                        {"OEBPS/b.xhtml", xhtml("<p>no heading</p>")},
                                        {"OEBPS/c.xhtml", xhtml("<div><h1><em>Third</em> one</h1></div>")}});
    BookText book = readEpub(book3);
    ASSERT_TRUE(book.ok) << book.error;
    EXPECT_EQ(book.codes, codesOf("_CHA\n_TIL First\none\nSub\ntwo\n_CHA\n_TIL \nno heading\n_CHA\n_TIL Third one"));

    BookOptions byHeadings;
    byHeadings.chapterLevel = 3;
    book = readEpub(book3, byHeadings);
    EXPECT_EQ(book.codes, codesOf("_CHA\n_TIL First\none\n_CHA\n_TIL Sub\ntwo\nno heading\n_CHA\n_TIL Third one"));
}

TEST(EpubReader, PictureNamesAreValidAndUnique)
{
    const std::string opf = R"(<package xmlns="http://www.idpf.org/2007/opf" version="3.0"><manifest>
      <item id="a" href="a.xhtml" media-type="application/xhtml+xml"/></manifest>
      <spine><itemref idref="a"/></spine></package>)";
    const std::string book4 = makeEpub(
        {{"OEBPS/content.opf", opf},
         {"OEBPS/a.xhtml", xhtml(R"(<h1>T</h1><img src="cover.png"/><img src="x/Cover.jpg"/><img src="1%20-%202.gif"/>
           <img src="%C3%A9t%C3%A9.png"/><img src="averyverylongname.png"/><img src="averyverylongname.jpg"/>
           <img src="missing.png"/><img src="http://example.com/remote.png"/><img src="../../out.png"/>)")},
         {"OEBPS/cover.png", "1"},
         {"OEBPS/x/Cover.jpg", "2"},
         {"OEBPS/1 - 2.gif", "3"},
         {"OEBPS/été.png", "4"},
         {"OEBPS/averyverylongname.png", "5"},
         {"OEBPS/averyverylongname.jpg", "6"}});
    const BookText book = readEpub(book4);
    ASSERT_TRUE(book.ok) << book.error;
    EXPECT_EQ(book.codes,
              codesOf("_CHA\n_TIL T\n_PIC cover\n_PIC cover1\n_PIC pic\n_PIC t\n_PIC averyver\n_PIC averyve1"));
    EXPECT_EQ(book.pictures.size(), 6u);
    EXPECT_EQ(book.warning, "Pictures the book shows are missing and were left out.");
}

// Hostile and broken books: each refused with a message that says why, or
// read as far as it holds together.

TEST(EpubReader, RefusesAPathThatClimbsOutOfTheBook)
{
    const BookText book = readEpub(makeEpub({{"../../etc/evil.xhtml", "x"}}));
    EXPECT_FALSE(book.ok);
    EXPECT_EQ(book.error, "The archive holds a file whose path leads out of it: \"../../etc/evil.xhtml\".");
    EXPECT_FALSE(readEpub(makeEpub({{"/abs.xhtml", "x"}})).ok);
    EXPECT_FALSE(readEpub(makeEpub({{"a/../../b", "x"}})).ok);
}

TEST(EpubReader, RefusesAZipBombByItsCentralDirectoryBeforeInflating)
{
    // Entries that say they expand to 3.75 GB: refused from the directory alone.
    const std::string bomb =
        test::withDeclaredSize(makeEpub({{"OEBPS/big.xhtml", std::string(1000, 'a')}}), 0xF0000000u);
    const BookText book = readEpub(bomb);
    EXPECT_FALSE(book.ok);
    EXPECT_NE(book.error.find("refused"), std::string::npos) << book.error;

    std::vector<ZipEntry> many;
    for (int i = 0; i < 20001; ++i)
        many.push_back({"f" + std::to_string(i), ""});
    const BookText crowded = readEpub(makeEpub(many));
    EXPECT_FALSE(crowded.ok);
    EXPECT_EQ(crowded.error, "The archive holds more than 20000 files and is refused.");
}

TEST(EpubReader, AnEntryThatInflatesPastItsStatedSizeIsDamaged)
{
    // The directory says 10 bytes; the data holds a megabyte: inflation
    // stops at 10 and the check of the entry fails.
    const std::string zip = test::withDeclaredSize(test::makeZip({{"a.xhtml", std::string(1 << 20, ' ')}}), 10);
    ZipArchive archive;
    ASSERT_TRUE(archive.open(zip)) << archive.error();
    std::string error;
    EXPECT_FALSE(archive.read("a.xhtml", error));
    EXPECT_EQ(error, "The file \"a.xhtml\" in the archive is damaged.");
}

TEST(EpubReader, RefusesEncryptedBooksButNotFontObfuscation)
{
    const std::string opf = R"(<package xmlns="http://www.idpf.org/2007/opf"><manifest>
      <item id="a" href="a.xhtml" media-type="application/xhtml+xml"/></manifest><spine><itemref idref="a"/></spine></package>)";
    auto encryption = [](const std::string& algorithm) {
        return R"(<encryption xmlns="urn:oasis:names:tc:opendocument:xmlns:container" xmlns:enc="http://www.w3.org/2001/04/xmlenc#">
          <enc:EncryptedData><enc:EncryptionMethod Algorithm=")"
               + algorithm
               + R"("/><enc:CipherData><enc:CipherReference URI="OEBPS/a.xhtml"/></enc:CipherData></enc:EncryptedData></encryption>)";
    };
    const BookText drm =
        readEpub(makeEpub({{"META-INF/encryption.xml", encryption("http://www.w3.org/2001/04/xmlenc#aes128-cbc")},
                           {"OEBPS/content.opf", opf},
                           {"OEBPS/a.xhtml", "scrambled"}}));
    EXPECT_FALSE(drm.ok);
    EXPECT_EQ(drm.error, "This book is encrypted (DRM) and cannot be opened.");

    const BookText fonts =
        readEpub(makeEpub({{"META-INF/encryption.xml", encryption("http://www.idpf.org/2008/embedding")},
                           {"OEBPS/content.opf", opf},
                           {"OEBPS/a.xhtml", xhtml("<p>Readable</p>")}}));
    ASSERT_TRUE(fonts.ok) << fonts.error;
    EXPECT_EQ(fonts.codes, codesOf("_CHA\n_TIL \nReadable"));
}

TEST(EpubReader, MissingPartsAreToldOrLeftOut)
{
    EXPECT_EQ(readEpub(makeEpub({})).error, "The book's package file \"OEBPS/content.opf\" is missing.");
    EXPECT_EQ(readEpub(test::makeZip({{"mimetype", "application/epub+zip", true}})).error,
              "The book has no META-INF/container.xml, which names its package file.");
    EXPECT_EQ(readEpub(makeEpub({}, "<container/>")).error, "The book's META-INF/container.xml names no package file.");
    EXPECT_EQ(readEpub(makeEpub({{"OEBPS/content.opf", "<package><manifest>"}})).error,
              "The book's package file is damaged.");
    EXPECT_EQ(readEpub(test::makeZip({{"mimetype", "application/zip", true}})).error,
              "This is not an EPUB book: its mimetype is not application/epub+zip.");
    EXPECT_FALSE(readEpub("PK\3\4 cut short").ok);
    EXPECT_FALSE(readEpub("").ok);

    const std::string opf = R"(<package xmlns="http://www.idpf.org/2007/opf"><manifest>
      <item id="a" href="a.xhtml" media-type="application/xhtml+xml"/>
      <item id="gone" href="gone.xhtml" media-type="application/xhtml+xml"/></manifest>
      <spine><itemref idref="gone"/><itemref idref="nothing"/><itemref idref="a"/></spine></package>)";
    const BookText partial =
        readEpub(makeEpub({{"OEBPS/content.opf", opf}, {"OEBPS/a.xhtml", xhtml("<p>Still here</p>")}}));
    ASSERT_TRUE(partial.ok) << partial.error;
    EXPECT_EQ(partial.codes, codesOf("_CHA\n_TIL \nStill here"));
    EXPECT_EQ(partial.warning, "Chapters the book lists are missing and were left out.");

    const BookText none = readEpub(makeEpub({{"OEBPS/content.opf", opf}}));
    EXPECT_EQ(none.error, "The chapters the book lists are missing.");
}

TEST(EpubReader, DeepNestingDoesNotExhaustTheStack)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<div>";
    deep += "deep";
    const std::string opf = R"(<package xmlns="http://www.idpf.org/2007/opf"><manifest>
      <item id="a" href="a.html" media-type="application/xhtml+xml"/></manifest><spine><itemref idref="a"/></spine></package>)";
    const BookText book = readEpub(makeEpub({{"OEBPS/content.opf", opf}, {"OEBPS/a.html", deep}}));
    EXPECT_TRUE(book.ok) << book.error;
}

}  // namespace
}  // namespace tessaline::book
