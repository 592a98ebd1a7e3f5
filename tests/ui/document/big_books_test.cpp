// Books of a hundred megabytes through Open Text's reading: a book of many
// chapters is read whole in memory a small multiple of its text, a single
// page that large is refused with the limit named before it is parsed; and
// a read is followed and cancelled through its steps.
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "formats/book/xml_document.h"
#include "tests/formats/book/book_samples.h"
#include "ui/document/document_file.h"

namespace tessaline {
namespace {

// The resident memory of this process, in bytes.
std::size_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    std::size_t resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// The most memory the process holds while `work` runs, above what it held
// before.
template <typename Work>
std::size_t peakGrowth(Work work)
{
    const std::size_t before = residentBytes();
    std::atomic<bool> done = false;
    std::size_t peak = before;
    std::thread watch([&] {
        while (!done) {
            peak = std::max(peak, residentBytes());
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    work();
    done = true;
    watch.join();
    peak = std::max(peak, residentBytes());
    return peak - before;
}

void writeFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}

constexpr std::size_t kMegabyte = std::size_t{1} << 20;

// A paragraph of about 100 characters of words.
std::string paragraph(std::size_t n)
{
    return "<p>Paragraph " + std::to_string(n)
           + " of words that go on for a line of a book &amp; a little more than that.</p>\n";
}

// An EPUB of `chapters` chapters of about `chapterBytes` each.
std::string manyChapters(std::size_t chapters, std::size_t chapterBytes)
{
    std::string manifest;
    std::string spine;
    std::vector<test::ZipEntry> entries;
    for (std::size_t c = 0; c < chapters; ++c) {
        const std::string id = "c" + std::to_string(c);
        manifest += "<item id=\"" + id + "\" href=\"" + id + ".xhtml\" media-type=\"application/xhtml+xml\"/>";
        spine += "<itemref idref=\"" + id + "\"/>";
        std::string body = "<h1>Chapter " + std::to_string(c + 1) + "</h1>\n";
        for (std::size_t n = 0; body.size() < chapterBytes; ++n)
            body += paragraph(n);
        entries.push_back({"OEBPS/" + id + ".xhtml", test::xhtml(body)});
    }
    entries.insert(entries.begin(),
                   {"OEBPS/content.opf", R"(<package xmlns="http://www.idpf.org/2007/opf"><manifest>)" + manifest
                                             + "</manifest><spine>" + spine + "</spine></package>"});
    return test::makeEpub(std::move(entries));
}

TEST(BigBooks, AHundredMegabyteBookOfChaptersIsReadInBoundedMemory)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.epub"));
    writeFile(path, manyChapters(400, kMegabyte / 4));

    QString error;
    std::optional<DocumentContent> book;
    const std::size_t growth = peakGrowth([&] { book = readDocument(path, &error); });
    ASSERT_TRUE(book) << error.toStdString();
    const std::string& codes = book->codes;
    EXPECT_GT(codes.size(), 80 * kMegabyte);
    std::size_t chapters = 0;
    for (std::size_t at = codes.find("_CHA\r\n_TIL Chapter "); at != std::string::npos;
         at = codes.find("_CHA\r\n_TIL Chapter ", at + 1))
        ++chapters;
    EXPECT_EQ(chapters, 400u);
    EXPECT_NE(codes.find("_TIL Chapter 400\r\nParagraph 0 of words"), std::string::npos);
    // The chapters are parsed one at a time: what stays is the text. The
    // address sanitizer's red zones and quarantine add to every allocation,
    // so the bound is not measured there.
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(growth, 8 * codes.size()) << growth / kMegabyte << " MB for " << codes.size() / kMegabyte << " MB";
#else
    (void)growth;
#endif
}

TEST(BigBooks, AHundredMegabytePageIsRefusedWithTheLimitBeforeItIsParsed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.html"));
    {
        std::string page = "<html><body><h1>One page</h1>";
        for (std::size_t n = 0; page.size() < 100 * kMegabyte; ++n)
            page += paragraph(n);
        writeFile(path, page + "</body></html>");
    }
    QString error;
    std::optional<DocumentContent> page;
    const std::size_t growth = peakGrowth([&] { page = readDocument(path, &error); });
    EXPECT_FALSE(page);
    EXPECT_EQ(error,
              QStringLiteral("The page is larger than 32 MB, the most that is read as one part, and is refused."));
    // Only the file's bytes were held.
    EXPECT_LT(growth, 3 * 100 * kMegabyte) << growth / kMegabyte << " MB";
}

TEST(BigBooks, AChapterOrAMarkdownTextOverTheLimitIsRefusedToo)
{
    const std::string over(book::kMaxMarkupBytes + 1, ' ');
    std::string error;
    EXPECT_TRUE(book::fitsToParse(std::string_view(over).substr(1), "The page", error));
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(book::fitsToParse(over, "The page", error));
    EXPECT_EQ(error, "The page is larger than 32 MB, the most that is read as one part, and is refused.");

    QTemporaryDir dir;
    const std::string opf = R"(<package xmlns="http://www.idpf.org/2007/opf"><manifest>
      <item id="a" href="a.xhtml" media-type="application/xhtml+xml"/></manifest><spine><itemref idref="a"/></spine></package>)";
    const QString epub = dir.filePath(QStringLiteral("one.epub"));
    writeFile(epub, test::makeEpub({{"OEBPS/content.opf", opf}, {"OEBPS/a.xhtml", test::xhtml("<p>a</p>") + over}}));
    QString reason;
    EXPECT_FALSE(readDocument(epub, &reason));
    EXPECT_EQ(reason, QStringLiteral("The chapter \"OEBPS/a.xhtml\" is larger than 32 MB, the most that is read as one "
                                     "part, and is refused."));

    // Markdown counts as the page it makes.
    const QString markdown = dir.filePath(QStringLiteral("notes.md"));
    writeFile(markdown, "# Title\n\n" + std::string(book::kMaxMarkupBytes, 'x') + "\n");
    EXPECT_FALSE(readDocument(markdown, &reason));
    EXPECT_TRUE(reason.startsWith(QStringLiteral("The Markdown text is larger than 32 MB"))) << reason.toStdString();
}

TEST(BigBooks, AReadTellsItsStepsAndStopsWhenCancelled)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chapters.epub"));
    writeFile(path, manyChapters(20, 1024));
    std::vector<int> shares;
    std::atomic<bool> cancelled = false;
    ReadingSteps steps;
    steps.progress = [&](int percent) { shares.push_back(percent); };
    steps.cancelled = &cancelled;
    QString error;
    ASSERT_TRUE(readDocument(path, &error, steps)) << error.toStdString();
    ASSERT_FALSE(shares.empty());
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_EQ(shares.front(), 50) << "the file is read in one piece";
    EXPECT_EQ(shares.back(), 100);

    // Cancelled in the middle of the chapters, and before anything is read.
    steps.progress = [&](int percent) {
        if (percent >= 75)
            cancelled = true;
    };
    EXPECT_FALSE(readDocument(path, &error, steps));
    EXPECT_EQ(error, QStringLiteral("Opening was cancelled."));
    const QString text = dir.filePath(QStringLiteral("plain.txt"));
    writeFile(text, "plain");
    error.clear();
    EXPECT_FALSE(readDocument(text, &error, steps));
    EXPECT_EQ(error, QStringLiteral("Opening was cancelled."));
}

}  // namespace
}  // namespace tessaline
