#include "formats/book/web_page_reader.h"

#include <md4c-html.h>

#include <filesystem>
#include <fstream>

#include "formats/book/book_path.h"
#include "formats/book/book_writer.h"
#include "formats/book/html_walker.h"
#include "formats/book/xml_document.h"

namespace tessaline::book {

namespace {

constexpr std::string_view kMissingPictures = "Pictures the document shows are missing and were left out.";

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// The bytes of a "data:" link with base64 content, or nothing.
std::optional<std::string> dataLink(std::string_view src)
{
    const std::size_t comma = src.find(',');
    if (comma == std::string_view::npos || src.substr(0, comma).find(";base64") == std::string_view::npos)
        return std::nullopt;
    std::string bytes;
    unsigned value = 0;
    int bits = 0;
    for (const char c : src.substr(comma + 1)) {
        const int digit = base64Value(c);
        if (digit < 0)
            continue;  // padding and white space
        value = (value << 6) | static_cast<unsigned>(digit);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return bytes;
}

std::string dataLinkType(std::string_view src)
{
    const std::size_t end = src.find_first_of(";,");
    return std::string(src.substr(5, end == std::string_view::npos ? 0 : end - 5));
}

}  // namespace

PictureSource picturesBeside(std::string folder)
{
    return [folder = std::move(folder)](const std::string& src) -> std::optional<std::string> {
        if (src.starts_with("data:"))
            return dataLink(src);
        std::string_view target = withoutFragment(src);
        const std::size_t colon = target.find(':');
        if (folder.empty() || target.empty()
            || (colon != std::string_view::npos && target.substr(0, colon).find('/') == std::string_view::npos)
            || target.front() == '/')
            return std::nullopt;
        const std::filesystem::path path = std::filesystem::path(folder) / percentDecoded(target);
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)
            || std::filesystem::file_size(path, error) > kMaxPictureBytes)
            return std::nullopt;
        std::ifstream file(path, std::ios::binary);
        std::string bytes(kMaxPictureBytes + 1, '\0');
        file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const auto got = static_cast<std::size_t>(file.gcount());
        if (got > kMaxPictureBytes || file.bad())
            return std::nullopt;
        bytes.resize(got);
        return bytes;
    };
}

namespace {

BookText refusedPage(std::string why)
{
    BookText page;
    page.error = std::move(why);
    return page;
}

}  // namespace

BookText readHtml(std::string_view bytes, const PictureSource& pictures, const BookOptions& options)
{
    if (std::string error; !fitsToParse(bytes, "The page", error))
        return refusedPage(std::move(error));
    const XmlDocument doc = XmlDocument::parseMarkup(bytes);
    BookWriter writer;
    if (!doc)
        return writer.finish();  // nothing but white space
    writer.setChapterLevel(options.chapterLevel > 0 ? options.chapterLevel : topHeadingLevel(doc.root()));
    auto pictureFor = [&](const std::string& src) -> std::string {
        const bool data = src.starts_with("data:");
        // A data link is kept under a short key of its own, and named "pic".
        const std::string key =
            data ? "data:" + std::to_string(std::hash<std::string>{}(src)) : percentDecoded(withoutFragment(src));
        if (std::string known = writer.pictureName(key); !known.empty())
            return known;
        std::optional<std::string> image = pictures ? pictures(src) : std::nullopt;
        if (!image) {
            writer.warn(std::string(kMissingPictures));
            return {};
        }
        return writer.keepPicture(key, std::move(*image), data ? dataLinkType(src) : imageTypeFor(withoutFragment(src)),
                                  data ? "pic" : "");
    };
    HtmlWalker walker(writer, pictureFor);
    walker.walk(doc.root());
    return writer.finish();
}

BookText readMarkdown(std::string_view bytes, const PictureSource& pictures, const BookOptions& options)
{
    std::string html = "<html><head><meta charset=\"utf-8\"/></head><body>";
    auto append = [](const MD_CHAR* text, MD_SIZE size, void* out) {
        static_cast<std::string*>(out)->append(text, size);
    };
    if (md_html(bytes.data(), static_cast<MD_SIZE>(bytes.size()), append, &html, 0, MD_HTML_FLAG_SKIP_UTF8_BOM) != 0) {
        return refusedPage("The Markdown text cannot be read.");
    }
    html += "</body></html>";
    if (std::string error; !fitsToParse(html, "The Markdown text", error))
        return refusedPage(std::move(error));
    return readHtml(html, pictures, options);
}

}  // namespace tessaline::book
