#include "formats/book/odt_reader.h"

#include <map>
#include <set>

#include "formats/book/book_path.h"
#include "formats/book/book_writer.h"
#include "formats/book/xml_document.h"
#include "formats/book/zip_archive.h"

namespace tessaline::book {

namespace {

constexpr std::string_view kMissingPictures = "Pictures the document shows are missing and were left out.";
constexpr std::size_t kMostSpaces = 256;  // a text:s beyond this is a damaged count

BookText refused(std::string why)
{
    BookText book;
    book.error = std::move(why);
    return book;
}

// The styles that hide their text (text:display="none"), following each
// style's parent.
void addHiddenStyles(xmlNode* root, std::set<std::string>& hidden)
{
    std::map<std::string, std::string> parents;
    for (xmlNode* at = root; at; at = nextNode(at, root, true)) {
        if (!isElement(at, "style"))
            continue;
        const std::string name = attribute(at, "name", "style");
        parents[name] = attribute(at, "parent-style-name", "style");
        const xmlNode* properties = childElement(at, "text-properties");
        if (properties && attribute(properties, "display", "text") == "none")
            hidden.insert(name);
    }
    for (const auto& [name, parent] : parents) {
        std::string up = parent;
        for (int steps = 0; steps < 16 && !up.empty(); ++steps) {
            if (hidden.contains(up)) {
                hidden.insert(name);
                break;
            }
            const auto found = parents.find(up);
            up = found == parents.end() ? std::string() : found->second;
        }
    }
}

bool hidesParagraph(const xmlNode* hiddenParagraph)
{
    return hiddenParagraph && attribute(hiddenParagraph, "is-hidden", "text") != "false";
}

class OdtWalk {
public:
    OdtWalk(BookWriter& writer, const ZipArchive& zip, const std::set<std::string>& hiddenStyles)
        : writer_(writer), zip_(zip), hiddenStyles_(hiddenStyles)
    {
    }

    bool enter(xmlNode* node)
    {
        if (node->type == XML_TEXT_NODE) {
            if (node->content)
                put(reinterpret_cast<const char*>(node->content), false);
            return false;
        }
        if (node->type != XML_ELEMENT_NODE)
            return false;
        const std::string name = localName(node);
        if (name == "tracked-changes" || name == "note" || name == "annotation" || name == "sequence-decls"
            || name == "forms" || name == "desc" || name == "title" || name == "annotation-end")
            return false;
        if (hiddenStyles_.contains(attribute(node, "style-name", "text")))
            return false;
        if (name == "hidden-paragraph" || (name == "hidden-text" && attribute(node, "is-hidden", "text") != "false"))
            return false;
        if (name == "section" && attribute(node, "display", "text") == "none")
            return false;
        if ((name == "p" || name == "h") && hidesParagraph(childElement(node, "hidden-paragraph")))
            return false;
        if (name == "line-break") {
            if (heading_)
                headingText_ += ' ';
            else
                writer_.breakLine();
            return false;
        }
        if (name == "tab") {
            put(" ", true);
            return false;
        }
        if (name == "s") {
            const std::string count = attribute(node, "c", "text");
            std::size_t spaces = 1;
            if (!count.empty() && count.find_first_not_of("0123456789") == std::string::npos && count.size() < 4)
                spaces = std::min<std::size_t>(std::stoul(count), kMostSpaces);
            put(std::string(spaces, ' '), true);
            return false;
        }
        if (name == "image") {
            image(attribute(node, "href", "xlink"));
            return false;
        }
        if (name == "h" && !heading_) {
            writer_.endLine();
            heading_ = node;
            const std::string level = attribute(node, "outline-level", "text");
            headingLevel_ = level.size() == 1 && level[0] >= '1' && level[0] <= '9' ? level[0] - '0' : 1;
            headingText_.clear();
            return true;
        }
        if (name == "p" || name == "list-item" || name == "table-row")
            writer_.endLine();
        return true;
    }

    void leave(xmlNode* node)
    {
        if (node->type != XML_ELEMENT_NODE)
            return;
        if (node == heading_) {
            heading_ = nullptr;
            writer_.heading(headingLevel_, headingText_);
            for (const std::string& picture : headingPictures_)
                writer_.picture(picture);
            headingPictures_.clear();
            return;
        }
        const std::string name = localName(node);
        if (name == "p" || name == "list-item" || name == "table-row")
            writer_.endLine();
        else if (name == "table-cell")
            writer_.space();
    }

private:
    void put(const std::string& text, bool literal)
    {
        if (heading_)
            headingText_ += text;
        else if (literal)
            writer_.literal(text);
        else
            writer_.text(text);
    }

    void image(const std::string& href)
    {
        const std::string path = resolvedPath("", href);
        if (path.empty())
            return;
        std::string name = writer_.pictureName(path);
        if (name.empty()) {
            std::string error;
            std::optional<std::string> bytes = zip_.contains(path) ? zip_.read(path, error) : std::nullopt;
            if (!bytes) {
                writer_.warn(std::string(kMissingPictures));
                return;
            }
            name = writer_.keepPicture(path, std::move(*bytes), imageTypeFor(path));
        }
        if (heading_)
            headingPictures_.push_back(name);
        else
            writer_.picture(name);
    }

    BookWriter& writer_;
    const ZipArchive& zip_;
    const std::set<std::string>& hiddenStyles_;
    xmlNode* heading_ = nullptr;
    int headingLevel_ = 1;
    std::string headingText_;
    std::vector<std::string> headingPictures_;
};

}  // namespace

BookText readOdt(std::string_view bytes, const BookOptions& options)
{
    ZipArchive zip;
    if (!zip.open(bytes))
        return refused(zip.error());
    std::string error;
    if (zip.contains("mimetype")) {
        const std::optional<std::string> type = zip.read("mimetype", error);
        if (!type || type->find(kOdtMediaType) != 0)
            return refused("This is not an OpenDocument text: its mimetype is not " + std::string(kOdtMediaType) + ".");
    }
    if (zip.contains("META-INF/manifest.xml")) {
        const std::optional<std::string> manifest = zip.read("META-INF/manifest.xml", error);
        const XmlDocument doc = manifest ? XmlDocument::parseXml(*manifest) : XmlDocument();
        if (doc && findElement(doc.root(), "encryption-data"))
            return refused("This document is protected by a password and cannot be opened.");
    }
    if (!zip.contains("content.xml"))
        return refused("The document has no content.xml.");
    const std::optional<std::string> content = zip.read("content.xml", error);
    if (!content || !fitsToParse(*content, "The document's content.xml", error))
        return refused(error);
    const XmlDocument doc = XmlDocument::parseXml(*content);
    if (!doc)
        return refused("The document's content.xml is damaged.");

    std::set<std::string> hiddenStyles;
    if (zip.contains("styles.xml")) {
        const std::optional<std::string> styles = zip.read("styles.xml", error);
        const XmlDocument styleDoc = styles ? XmlDocument::parseXml(*styles) : XmlDocument();
        if (styleDoc)
            addHiddenStyles(styleDoc.root(), hiddenStyles);
    }
    addHiddenStyles(doc.root(), hiddenStyles);

    xmlNode* text = findElement(findElement(doc.root(), "body"), "text");
    BookWriter writer;
    if (!text)
        return writer.finish();
    int top = 0;
    for (xmlNode* at = text; at; at = nextNode(at, text, true)) {
        if (isElement(at, "h")) {
            const std::string level = attribute(at, "outline-level", "text");
            const int value = level.size() == 1 && level[0] >= '1' && level[0] <= '9' ? level[0] - '0' : 1;
            top = top == 0 ? value : std::min(top, value);
        }
    }
    writer.setChapterLevel(options.chapterLevel > 0 ? options.chapterLevel : top);
    OdtWalk walk(writer, zip, hiddenStyles);
    walkTree(
        text, [&walk](xmlNode* node) { return walk.enter(node); }, [&walk](xmlNode* node) { walk.leave(node); });
    return writer.finish();
}

}  // namespace tessaline::book
