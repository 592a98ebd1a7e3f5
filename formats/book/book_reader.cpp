#include "formats/book/book_reader.h"

#include "formats/book/docx_reader.h"
#include "formats/book/epub_reader.h"
#include "formats/book/odt_reader.h"
#include "formats/book/web_page_reader.h"
#include "formats/book/zip_archive.h"

namespace tessaline::book {

namespace {

bool endsWithNoCase(std::string_view text, std::string_view end)
{
    if (text.size() < end.size())
        return false;
    text = text.substr(text.size() - end.size());
    for (std::size_t i = 0; i < end.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != end[i])
            return false;
    }
    return true;
}

}  // namespace

BookKind bookKind(std::string_view fileName, std::string_view bytes)
{
    if (ZipArchive::hasSignature(bytes)) {
        ZipArchive zip;
        if (!zip.open(bytes)) {
            // A damaged or hostile archive is still a book: its reader says why.
            return BookKind::Epub;
        }
        std::string error;
        if (zip.contains("mimetype")) {
            if (const std::optional<std::string> type = zip.read("mimetype", error)) {
                if (type->find(kEpubMediaType) != std::string::npos)
                    return BookKind::Epub;
                if (type->find(kOdtMediaType) == 0)
                    return BookKind::Odt;
            }
        }
        if (looksLikeDocx(zip.names()))
            return BookKind::Docx;
        if (zip.contains("META-INF/container.xml"))
            return BookKind::Epub;
        if (zip.contains("content.xml"))
            return BookKind::Odt;
        return BookKind::None;
    }
    for (const std::string_view extension : {".html", ".htm", ".xhtml"}) {
        if (endsWithNoCase(fileName, extension))
            return BookKind::Html;
    }
    for (const std::string_view extension : {".md", ".markdown"}) {
        if (endsWithNoCase(fileName, extension))
            return BookKind::Markdown;
    }
    return BookKind::None;
}

BookText readBook(BookKind kind, std::string_view bytes, const std::string& folder, const BookOptions& options)
{
    switch (kind) {
    case BookKind::Epub:
        return readEpub(bytes, options);
    case BookKind::Odt:
        return readOdt(bytes, options);
    case BookKind::Docx:
        return readDocx(bytes, options);
    case BookKind::Html:
        return readHtml(bytes, picturesBeside(folder), options);
    case BookKind::Markdown:
        return readMarkdown(bytes, picturesBeside(folder), options);
    case BookKind::None:
        break;
    }
    BookText none;
    none.error = "The file is not a book.";
    return none;
}

}  // namespace tessaline::book
