// Reading large books: an EPUB of many chapters of a quarter megabyte each
// (10 MB and 100 MB of text), and one HTML page of 10 MB.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "formats/book/book_reader.h"
#include "tests/formats/book/book_samples.h"

namespace {

using namespace tessaline;

constexpr std::size_t kMegabyte = std::size_t{1} << 20;

std::string paragraphs(std::size_t bytes)
{
    std::string text;
    for (std::size_t n = 0; text.size() < bytes; ++n)
        text += "<p>Paragraph " + std::to_string(n)
                + " of words that go on for a line of a book &amp; a little more than that.</p>\n";
    return text;
}

// An EPUB of `megabytes` of text in chapters of a quarter megabyte; made once.
const std::string& epubOf(std::size_t megabytes)
{
    static std::map<std::size_t, std::string> made;
    std::string& epub = made[megabytes];
    if (!epub.empty())
        return epub;
    const std::string body = paragraphs(kMegabyte / 4);
    std::string manifest;
    std::string spine;
    std::vector<test::ZipEntry> entries;
    for (std::size_t c = 0; c < megabytes * 4; ++c) {
        const std::string id = "c" + std::to_string(c);
        manifest += "<item id=\"" + id + "\" href=\"" + id + ".xhtml\" media-type=\"application/xhtml+xml\"/>";
        spine += "<itemref idref=\"" + id + "\"/>";
        entries.push_back(
            {"OEBPS/" + id + ".xhtml", test::xhtml("<h1>Chapter " + std::to_string(c + 1) + "</h1>" + body)});
    }
    entries.insert(entries.begin(),
                   {"OEBPS/content.opf", R"(<package xmlns="http://www.idpf.org/2007/opf"><manifest>)" + manifest
                                             + "</manifest><spine>" + spine + "</spine></package>"});
    epub = test::makeEpub(std::move(entries));
    return epub;
}

void BM_ReadEpub(benchmark::State& state)
{
    const auto megabytes = static_cast<std::size_t>(state.range(0));
    const std::string& epub = epubOf(megabytes);
    std::size_t codes = 0;
    for (auto _ : state) {
        const book::BookText text = book::readBook(book::BookKind::Epub, epub, {});
        if (!text.ok)
            state.SkipWithError(text.error.c_str());
        codes = text.codes.size();
        benchmark::DoNotOptimize(codes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * codes));
    state.counters["text_MB"] = static_cast<double>(codes) / kMegabyte;
    state.counters["zip_MB"] = static_cast<double>(epub.size()) / kMegabyte;
}
BENCHMARK(BM_ReadEpub)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadHtmlPage(benchmark::State& state)
{
    const std::string page = "<html><body><h1>Page</h1>" + paragraphs(10 * kMegabyte) + "</body></html>";
    for (auto _ : state) {
        const book::BookText text = book::readBook(book::BookKind::Html, page, {});
        benchmark::DoNotOptimize(text.codes.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ReadHtmlPage)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
