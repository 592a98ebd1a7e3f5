#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "formats/book/book_reader.h"
#include "formats/book/docx_reader.h"
#include "formats/book/odt_reader.h"
#include "formats/book/web_page_reader.h"
#include "tests/formats/book/book_samples.h"

namespace tessaline::book {
namespace {

using test::codesOf;
using test::makeZip;

// A folder of its own for a test's files, removed afterwards.
class DocumentFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path()
                  / ("tessaline-books-" + std::to_string(::getpid()) + "-"
                     + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    void write(const std::string& name, const std::string& bytes)
    {
        const std::filesystem::path path = folder_ / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::filesystem::path folder_;
};

const std::string kPage = R"(<!DOCTYPE html><html><head><title>T</title><style>.hide{display:none}</style>
<script>document.write("x")</script></head><body><h1>Book</h1><h2>One</h2>
<p>First&nbsp;para &lt;ok&gt; &#x263A;</p><p class="hide">no</p><img src="img/a%20b.png"><h2>Two</h2>
<ul><li>a</li><li>b</li></ul><p>x<img src="data:image/png;base64,UE5H"><img src="../outside.png"></p></body></html>)";

TEST_F(DocumentFolder, HtmlPagesTakeTheirPicturesFromBesideThem)
{
    write("img/a b.png", "PNG");
    const BookText page = readBook(BookKind::Html, kPage, folder_.string());
    ASSERT_TRUE(page.ok) << page.error;
    EXPECT_EQ(page.codes,
              codesOf("_CHA\n_TIL Book\nOne\nFirst\u00a0para <ok> \u263a\n_PIC ab\nTwo\na\nb\nx\n_PIC pic"));
    EXPECT_EQ(page.replaced, charset::fromUtf8("\u00a0\u263a").replaced);
    ASSERT_EQ(page.pictures.size(), 2u);
    EXPECT_EQ(page.pictures[0].bytes, "PNG");
    EXPECT_EQ(page.pictures[0].mediaType, "image/png");
    EXPECT_EQ(page.pictures[1].bytes, "PNG");  // "UE5H" in base64
    EXPECT_EQ(page.pictures[1].mediaType, "image/png");
    EXPECT_EQ(page.warning, "Pictures the document shows are missing and were left out.");

    BookOptions options;
    options.chapterLevel = 2;
    const BookText deeper = readBook(BookKind::Html, kPage, folder_.string(), options);
    EXPECT_EQ(deeper.codes.substr(0, codesOf("_CHA\n_TIL Book\n_CHA\n_TIL One\n").size()),
              codesOf("_CHA\n_TIL Book\n_CHA\n_TIL One\n"));
    EXPECT_NE(deeper.codes.find(codesOf("_CHA\n_TIL Two\na")), std::string::npos);
}

TEST_F(DocumentFolder, MarkdownHeadingsAreChaptersAndImagesPictures)
{
    write("pics/fig.png", "FIG");
    const std::string markdown =
        "\xEF\xBB\xBF# Title\n\nSome *emphasis* and `code` &amp; &copy;.\n\n"
        "![alt text](pics/fig.png)\n\n## Sub\n\n- item one\n- item two\n\n"
        "```\nfenced  code\n```\n\n# Last <span hidden>secret</span>\n";
    const BookText text = readBook(BookKind::Markdown, markdown, folder_.string());
    ASSERT_TRUE(text.ok) << text.error;
    EXPECT_EQ(text.codes, codesOf("_CHA\n_TIL Title\nSome emphasis and code & \u00a9.\n_PIC fig\nSub\n"
                                  "item one\nitem two\nfenced  code\n_CHA\n_TIL Last"));
    ASSERT_EQ(text.pictures.size(), 1u);
    EXPECT_EQ(text.pictures[0].bytes, "FIG");
}

TEST(DocumentReaders, PlainTextWithoutHeadingsHasNoChapters)
{
    EXPECT_EQ(readMarkdown("just\ntext\n\nand more", nullptr).codes, codesOf("just text\nand more"));
    EXPECT_EQ(readHtml("", nullptr).codes, "");
    EXPECT_EQ(readHtml("<p>Caf\xE9</p>", nullptr).codes, codesOf("Caf\u00e9"));  // not UTF-8: Latin-1
}

const std::string kOdtContent = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
  xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:xlink="http://www.w3.org/1999/xlink"
  xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" office:version="1.2">
<office:automatic-styles>
  <style:style style:name="T1" style:family="text"><style:text-properties text:display="none"/></style:style>
  <style:style style:name="T2" style:family="text" style:parent-style-name="Hidden"/>
</office:automatic-styles>
<office:body><office:text>
  <text:tracked-changes><text:changed-region text:id="c1"><text:deletion><text:p>deleted words</text:p></text:deletion></text:changed-region></text:tracked-changes>
  <text:h text:outline-level="2">Part One</text:h>
  <text:p>Hello<text:s text:c="3"/>world<text:tab/>tab<text:line-break/>next <text:span text:style-name="T1">hidden</text:span><text:span text:style-name="T2">hidden too</text:span>line<text:change text:change-id="c1"/></text:p>
  <text:p><draw:frame><draw:image xlink:href="Pictures/img1.png"/><svg:title>alt</svg:title></draw:frame></text:p>
  <text:h text:outline-level="3">Deeper</text:h>
  <text:list><text:list-item><text:p>item</text:p></text:list-item></text:list>
  <text:p>note<text:note><text:note-citation>1</text:note-citation><text:note-body><text:p>footnote</text:p></text:note-body></text:note> after</text:p>
  <text:p><text:hidden-paragraph text:condition="ooow:1" text:is-hidden="true"/>hidden paragraph</text:p>
  <text:section text:name="S" text:display="none"><text:p>hidden section</text:p></text:section>
  <text:h text:outline-level="2">Part Two</text:h><text:p>End</text:p>
</office:text></office:body></office:document-content>)";

const std::string kOdtStyles =
    R"(<office:document-styles xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0">
<office:styles><style:style style:name="Hidden" style:family="text"><style:text-properties text:display="none"/></style:style></office:styles>
</office:document-styles>)";

TEST(DocumentReaders, OdtHeadingsByOutlineLevelWithoutDeletedOrHiddenText)
{
    const std::string odt = makeZip({{"mimetype", std::string(kOdtMediaType), true},
                                     {"content.xml", kOdtContent},
                                     {"styles.xml", kOdtStyles},
                                     {"Pictures/img1.png", "IMG"}});
    EXPECT_EQ(bookKind("whatever.bin", odt), BookKind::Odt);
    const BookText doc = readOdt(odt);
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_EQ(doc.codes, codesOf("_CHA\n_TIL Part One\nHello   world tab\nnext line\n_PIC img1\nDeeper\nitem\n"
                                 "note after\n_CHA\n_TIL Part Two\nEnd"));
    ASSERT_EQ(doc.pictures.size(), 1u);
    EXPECT_EQ(doc.pictures[0].bytes, "IMG");

    const std::string locked = makeZip(
        {{"mimetype", std::string(kOdtMediaType), true},
         {"META-INF/manifest.xml",
          R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"><manifest:file-entry manifest:full-path="content.xml"><manifest:encryption-data/></manifest:file-entry></manifest:manifest>)"},
         {"content.xml", "scrambled"}});
    EXPECT_EQ(readOdt(locked).error, "This document is protected by a password and cannot be opened.");
    EXPECT_EQ(readOdt(makeZip({{"mimetype", std::string(kOdtMediaType), true}})).error,
              "The document has no content.xml.");
}

const std::string kDocxDocument = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"
  xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"
  xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"
  xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006"><w:body>
<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr><w:r><w:t>Intro</w:t></w:r></w:p>
<w:p><w:r><w:t xml:space="preserve">Kept </w:t></w:r><w:del><w:r><w:delText>deleted</w:delText></w:r></w:del><w:ins><w:r><w:t>inserted</w:t></w:r></w:ins><w:r><w:rPr><w:vanish/></w:rPr><w:t>hidden</w:t></w:r><w:r><w:rPr><w:rStyle w:val="SecretChars"/></w:rPr><w:t>hidden by style</w:t></w:r><w:r><w:rPr><w:vanish w:val="false"/></w:rPr><w:t xml:space="preserve"> shown</w:t></w:r></w:p>
<w:p><w:r><w:t>line</w:t><w:br/><w:t>break</w:t><w:tab/><w:t>tab</w:t></w:r></w:p>
<w:p><w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText xml:space="preserve"> PAGE </w:instrText></w:r><w:r><w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t>7</w:t></w:r><w:r><w:fldChar w:fldCharType="end"/></w:r></w:p>
<w:p><w:r><w:drawing><a:graphic><a:graphicData><a:blip r:embed="rId5"/></a:graphicData></a:graphic></w:drawing></w:r></w:p>
<w:p><w:pPr><w:pStyle w:val="Custom"/></w:pPr><w:r><w:t>Sub</w:t></w:r></w:p>
<w:p><w:pPr><w:pStyle w:val="Secret"/></w:pPr><w:r><w:t>secret paragraph</w:t></w:r></w:p>
<w:p><w:pPr><w:outlineLvl w:val="0"/></w:pPr><w:r><w:t>Second</w:t></w:r></w:p>
<w:tbl><w:tr><w:tc><w:p><w:r><w:t>a</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>b</w:t></w:r></w:p></w:tc></w:tr></w:tbl>
<mc:AlternateContent><mc:Choice Requires="wps"><w:p><w:r><w:t>choice</w:t></w:r></w:p></mc:Choice><mc:Fallback><w:p><w:r><w:t>fallback</w:t></w:r></w:p></mc:Fallback></mc:AlternateContent>
<w:sectPr/></w:body></w:document>)";

const std::string kDocxStyles = R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">
<w:style w:type="paragraph" w:styleId="Heading1"><w:name w:val="heading 1"/></w:style>
<w:style w:type="paragraph" w:styleId="Heading2"><w:name w:val="Heading 2"/></w:style>
<w:style w:type="paragraph" w:styleId="Custom"><w:name w:val="My own"/><w:basedOn w:val="Heading2"/></w:style>
<w:style w:type="paragraph" w:styleId="Secret"><w:name w:val="Secret"/><w:rPr><w:vanish/></w:rPr></w:style>
<w:style w:type="character" w:styleId="SecretChars"><w:name w:val="Secret chars"/><w:basedOn w:val="Loop"/></w:style>
<w:style w:type="character" w:styleId="Loop"><w:name w:val="Loop"/><w:basedOn w:val="SecretChars"/><w:rPr><w:vanish/></w:rPr></w:style>
</w:styles>)";

const std::string kDocxRelations =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId5" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" Target="media/image1.png"/>
<Relationship Id="rId6" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink" Target="http://example.com/" TargetMode="External"/>
</Relationships>)";

TEST(DocumentReaders, DocxHeadingsByStyleWithoutDeletedOrHiddenText)
{
    const std::string docx = makeZip({{"[Content_Types].xml", "<Types/>"},
                                      {"word/document.xml", kDocxDocument},
                                      {"word/styles.xml", kDocxStyles},
                                      {"word/_rels/document.xml.rels", kDocxRelations},
                                      {"word/media/image1.png", "IMG"}});
    EXPECT_EQ(bookKind("x", docx), BookKind::Docx);
    const BookText doc = readDocx(docx);
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_EQ(doc.codes, codesOf("_CHA\n_TIL Intro\nKept inserted shown\nline\nbreak tab\n7\n_PIC image1\nSub\n"
                                 "_CHA\n_TIL Second\na\nb\nchoice"));
    ASSERT_EQ(doc.pictures.size(), 1u);
    EXPECT_EQ(doc.pictures[0].name, "image1");

    BookOptions options;
    options.chapterLevel = 2;
    EXPECT_NE(readDocx(docx, options).codes.find(codesOf("_CHA\n_TIL Sub\n")), std::string::npos);
    EXPECT_EQ(readDocx(makeZip({{"[Content_Types].xml", "<Types/>"}})).error, "The document has no word/document.xml.");
}

TEST(DocumentReaders, KindsAreToldByContentForZipFilesAndByNameOtherwise)
{
    EXPECT_EQ(bookKind("a.txt", test::makeEpub({})), BookKind::Epub);
    EXPECT_EQ(bookKind("a.zip", makeZip({{"readme.txt", "x"}})), BookKind::None);
    EXPECT_EQ(bookKind("a.zip", "PK\3\4 damaged"), BookKind::Epub);  // its reader tells what is wrong
    EXPECT_EQ(bookKind("page.HTML", "<p>x</p>"), BookKind::Html);
    EXPECT_EQ(bookKind("page.xhtml", ""), BookKind::Html);
    EXPECT_EQ(bookKind("notes.md", "# x"), BookKind::Markdown);
    EXPECT_EQ(bookKind("notes.txt", "# x"), BookKind::None);
    EXPECT_EQ(bookKind("notes.md.rtf", "{\\rtf1}"), BookKind::None);
}

}  // namespace
}  // namespace tessaline::book
