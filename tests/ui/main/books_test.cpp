// Books through Open Text: every kind the readers know opens into the editor
// as marked-up text, with its pictures kept for the text; a book the reader
// refuses leaves the editor and the kept pictures as they were.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include "formats/book/book_reader.h"
#include "tests/formats/book/book_samples.h"
#include "tests/ui/answered_file_dialogs.h"
#include "tests/ui/recorded_message_boxes.h"
#include "tests/ui/window_parts.h"
#include "ui/app_state.h"
#include "ui/main/main_window.h"

namespace tessaline {
namespace {

using test::codesOf;
using test::makeEpub;
using test::makeZip;
using test::xhtml;

const std::string kOpf = R"(<?xml version="1.0" encoding="utf-8"?>
<package xmlns="http://www.idpf.org/2007/opf" version="3.0">
  <manifest>
    <item id="nav" href="nav.xhtml" media-type="application/xhtml+xml" properties="nav"/>
    <item id="c1" href="Text/one%20two.xhtml" media-type="application/xhtml+xml"/>
    <item id="c2" href="Text/b.xhtml" media-type="application/xhtml+xml"/>
    <item id="p" href="Images/rose.png" media-type="image/png"/>
  </manifest>
  <spine><itemref idref="c1"/><itemref idref="c2"/></spine>
</package>)";

const std::string kNav = xhtml(R"(<nav epub:type="toc"><ol>
  <li><a href="Text/one%20two.xhtml">Caf&eacute;</a></li><li><a href="Text/b.xhtml">Last</a></li></ol></nav>)");

std::string sampleEpub()
{
    return makeEpub({{"OEBPS/content.opf", kOpf},
                     {"OEBPS/nav.xhtml", kNav},
                     {"OEBPS/Text/one two.xhtml",
                      xhtml(R"(<h1>Caf&eacute;</h1><p>Hello&nbsp;there</p><p style="display:none">secret</p>
<p><img src="../Images/rose.png" alt="rose"/></p>)")},
                     {"OEBPS/Text/b.xhtml", xhtml("<p>End</p>")},
                     {"OEBPS/Images/rose.png", "ROSE"}});
}

// The non-breaking space has no calculator code.
const std::string kEpubText = "_CHA\r\n_TIL Caf\xE9\r\nHello there\r\n_PIC rose\r\n_CHA\r\n_TIL Last\r\nEnd";

class BooksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<MainWindow>(state);
        window->setFileDialogs(dialogs);
        window->setMessageBoxes(messages);
        ui = std::make_unique<testing::MainWindowParts>(*window);
    }

    QString write(const QString& name, const std::string& bytes)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }
    // Opens `path` through the menu and waits for the read to end; an empty
    // path cancels the dialog.
    void open(const QString& path)
    {
        QSignalSpy finished(window.get(), &MainWindow::openFinished);
        if (!path.isEmpty())
            dialogs->openAnswers.push_back(path);
        ui->openAction->trigger();
        if (!path.isEmpty()) {
            ASSERT_TRUE(finished.wait(60'000));
        }
    }
    std::vector<std::string> pictureNames() const
    {
        std::vector<std::string> names;
        for (const PictureImage& picture : window->documentPictures().images)
            names.push_back(picture.name);
        return names;
    }

    QTemporaryDir dir;
    AppState state;
    std::shared_ptr<testing::AnsweredFileDialogs> dialogs = std::make_shared<testing::AnsweredFileDialogs>();
    std::shared_ptr<testing::RecordedMessageBoxes> messages = std::make_shared<testing::RecordedMessageBoxes>();
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<testing::MainWindowParts> ui;
};

TEST_F(BooksTest, TheOpenDialogOffersBooksAfterTheTextFiles)
{
    open(QString());
    const QStringList entries = dialogs->openFilter.split(QStringLiteral(";;"));
    ASSERT_GE(entries.size(), 3);
    EXPECT_EQ(entries[0], QStringLiteral("Text (*.txt)"));
    for (const char* pattern : {"*.epub", "*.odt", "*.docx", "*.html", "*.htm", "*.xhtml", "*.md", "*.markdown"})
        EXPECT_TRUE(entries[1].contains(QLatin1String(pattern))) << pattern;
    // Every pattern of the entry names a book its reader takes by that name
    // or by its content.
    EXPECT_EQ(book::bookKind("a.xhtml", ""), book::BookKind::Html);
    EXPECT_EQ(book::bookKind("a.markdown", ""), book::BookKind::Markdown);
}

TEST_F(BooksTest, AnEpubOpensAsChaptersWithItsPicturesKept)
{
    ui->editor->setText("before");
    ui->editor->document()->setModified(true);
    // The content tells a book, not the name.
    open(write(QStringLiteral("book.txt"), sampleEpub()));
    EXPECT_EQ(ui->editor->text(), kEpubText);
    EXPECT_FALSE(ui->editor->document()->isModified());
    ASSERT_EQ(window->documentPictures().images.size(), 1u);
    EXPECT_EQ(window->documentPictures().images[0].name, "rose");
    EXPECT_EQ(window->documentPictures().images[0].bytes, "ROSE");
    EXPECT_EQ(window->documentPictures().images[0].origin,
              QFile::encodeName(dir.filePath(QStringLiteral("book.txt"))).toStdString());
    ASSERT_EQ(messages->texts(),
              std::vector<QString>{QStringLiteral("1 character had no calculator code and was replaced.")});
}

TEST_F(BooksTest, EveryOtherKindOfDocumentOpensAsMarkedUpText)
{
    write(QStringLiteral("pics/fig one.png"), "FIG");
    const std::string odt =
        makeZip({{"mimetype", "application/vnd.oasis.opendocument.text", true},
                 {"content.xml",
                  R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
  xmlns:xlink="http://www.w3.org/1999/xlink"><office:body><office:text>
  <text:h text:outline-level="1">Odt</text:h><text:p>a<text:line-break/>b</text:p>
  <text:p><draw:frame><draw:image xlink:href="Pictures/p.png"/></draw:frame></text:p></office:text></office:body></office:document-content>)"},
                 {"Pictures/p.png", "ODTPIC"}});
    const std::string docx =
        makeZip({{"[Content_Types].xml", "<Types/>"},
                 {"word/document.xml",
                  R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>
<w:p><w:pPr><w:outlineLvl w:val="0"/></w:pPr><w:r><w:t>Docx</w:t></w:r></w:p>
<w:p><w:r><w:t>kept</w:t></w:r><w:del><w:r><w:delText>gone</w:delText></w:r></w:del></w:p></w:body></w:document>)"}});
    struct Case {
        QString name;
        std::string bytes;
        std::string text;
        std::vector<std::string> pictures;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("page.HTM"),
         "<h1>Page</h1><p>x<img src=\"pics/fig%20one.png\"></p><script>no</script>",
         "_CHA\r\n_TIL Page\r\nx\r\n_PIC figone",
         {"figone"}},
        {QStringLiteral("notes.md"),
         "# Notes\n\n![f](pics/fig%20one.png)\n\n## Sub\n\ntext\n",
         "_CHA\r\n_TIL Notes\r\n_PIC figone\r\nSub\r\ntext",
         {"figone"}},
        {QStringLiteral("letter.odt"), odt, "_CHA\r\n_TIL Odt\r\na\r\nb\r\n_PIC p", {"p"}},
        {QStringLiteral("report.docx"), docx, "_CHA\r\n_TIL Docx\r\nkept", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        open(write(c.name, c.bytes));
        EXPECT_EQ(ui->editor->text(), c.text);
        EXPECT_EQ(pictureNames(), c.pictures);
    }
    EXPECT_TRUE(messages->shown.empty()) << messages->shown.front().text.toStdString();
    EXPECT_EQ(state.lastFileName, dir.filePath(QStringLiteral("report.docx")));
}

TEST_F(BooksTest, ABookWithMissingPartsOpensWithTheReasonShown)
{
    const QString page = write(QStringLiteral("page.html"), "<h1>T</h1><p>x</p><img src=\"gone.png\"><p>y</p>");
    open(page);
    EXPECT_EQ(ui->editor->text(), "_CHA\r\n_TIL T\r\nx\r\ny");
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0].text,
              QStringLiteral("\"%1\" was opened, but:\nPictures the document shows are missing and were left out.")
                  .arg(QDir::toNativeSeparators(page)));
    EXPECT_TRUE(window->documentPictures().images.empty());
}

TEST_F(BooksTest, ARefusedBookLeavesTheTextAndItsPicturesAsTheyWere)
{
    open(write(QStringLiteral("good.epub"), sampleEpub()));
    ui->editor->setText("edited after opening");
    ui->editor->document()->setModified(true);

    const std::string opf = R"(<package xmlns="http://www.idpf.org/2007/opf"><manifest>
      <item id="a" href="a.xhtml" media-type="application/xhtml+xml"/></manifest><spine><itemref idref="a"/></spine></package>)";
    const std::string drm = makeEpub(
        {{"META-INF/encryption.xml",
          R"(<encryption xmlns="urn:oasis:names:tc:opendocument:xmlns:container" xmlns:enc="http://www.w3.org/2001/04/xmlenc#">
<enc:EncryptedData><enc:EncryptionMethod Algorithm="http://www.w3.org/2001/04/xmlenc#aes128-cbc"/>
<enc:CipherData><enc:CipherReference URI="OEBPS/a.xhtml"/></enc:CipherData></enc:EncryptedData></encryption>)"},
         {"OEBPS/content.opf", opf},
         {"OEBPS/a.xhtml", "scrambled"}});
    const std::string climbing = makeEpub({{"OEBPS/content.opf", opf}, {"../a.xhtml", xhtml("<p>out</p>")}});
    const std::vector<std::pair<std::string, std::string>> refused = {
        {drm, "This book is encrypted (DRM) and cannot be opened."},
        {"PK\3\4 cut short", "The file is not a readable zip archive (it is damaged or cut short)."},
        {climbing, "The archive holds a file whose path leads out of it: \"../a.xhtml\"."},
        {makeEpub({}), "The book's package file \"OEBPS/content.opf\" is missing."},
    };
    int n = 0;
    for (const auto& [bytes, reason] : refused) {
        SCOPED_TRACE(reason);
        messages->shown.clear();
        const QString path = write(QStringLiteral("bad%1.epub").arg(++n), bytes);
        open(path);
        EXPECT_EQ(ui->editor->text(), "edited after opening");
        EXPECT_TRUE(ui->editor->document()->isModified());
        EXPECT_EQ(pictureNames(), std::vector<std::string>{"rose"});
        ASSERT_EQ(messages->shown.size(), 1u);
        const QString text = messages->shown[0].text;
        EXPECT_TRUE(text.startsWith(QStringLiteral("Cannot open \"%1\".\n").arg(QDir::toNativeSeparators(path))))
            << text.toStdString();
        EXPECT_TRUE(text.endsWith(QString::fromStdString(reason))) << text.toStdString();
    }
}

TEST_F(BooksTest, OpeningATextFileAfterABookLeavesNoPictures)
{
    open(write(QStringLiteral("good.epub"), sampleEpub()));
    ASSERT_EQ(window->documentPictures().images.size(), 1u);
    open(write(QStringLiteral("plain.txt"), "_PIC rose\r\n"));
    EXPECT_EQ(ui->editor->text(), "_PIC rose\r\n");
    EXPECT_TRUE(window->documentPictures().images.empty());
}

}  // namespace
}  // namespace tessaline
