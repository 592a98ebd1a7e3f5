#include "formats/book/docx_reader.h"

#include <algorithm>
#include <map>

#include "formats/book/book_path.h"
#include "formats/book/book_writer.h"
#include "formats/book/xml_document.h"
#include "formats/book/zip_archive.h"

namespace tessaline::book {

namespace {

constexpr std::string_view kMissingPictures = "Pictures the document shows are missing and were left out.";
constexpr int kMostStyleSteps = 16;  // styles based on styles: a loop ends here

BookText refused(std::string why)
{
    BookText book;
    book.error = std::move(why);
    return book;
}

std::string lowered(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// w:vanish and the like: on unless w:val says off.
bool switchedOn(const xmlNode* property)
{
    if (!property)
        return false;
    const std::string value = lowered(attribute(property, "val", "w"));
    return value != "0" && value != "false" && value != "off";
}

struct Style {
    std::string basedOn;
    int level = 0;  // 1-9 for a heading
    bool hidden = false;
};

int levelOf(const xmlNode* paragraphProperties)
{
    const xmlNode* outline = childElement(paragraphProperties, "outlinelvl");
    if (!outline)
        return 0;
    const std::string value = attribute(outline, "val", "w");
    if (value.size() == 1 && value[0] >= '0' && value[0] <= '8')
        return value[0] - '0' + 1;
    return 0;
}

std::map<std::string, Style> readStyles(xmlNode* root)
{
    std::map<std::string, Style> styles;
    for (xmlNode* at = root ? root->children : nullptr; at; at = at->next) {
        if (!isElement(at, "style"))
            continue;
        Style style;
        style.basedOn = attribute(childElement(at, "basedon"), "val", "w");
        style.level = levelOf(childElement(at, "ppr"));
        const std::string name = lowered(attribute(childElement(at, "name"), "val", "w"));
        if (style.level == 0 && name.size() == 9 && name.starts_with("heading ") && name[8] >= '1' && name[8] <= '9')
            style.level = name[8] - '0';
        style.hidden = switchedOn(childElement(childElement(at, "rpr"), "vanish"));
        styles.emplace(attribute(at, "styleid", "w"), std::move(style));
    }
    // What a style does not say, its base says.
    std::map<std::string, Style> resolved = styles;
    for (auto& [id, style] : resolved) {
        std::string up = style.basedOn;
        for (int step = 0; step < kMostStyleSteps && !up.empty(); ++step) {
            const auto found = styles.find(up);
            if (found == styles.end())
                break;
            if (style.level == 0)
                style.level = found->second.level;
            style.hidden = style.hidden || found->second.hidden;
            up = found->second.basedOn;
        }
    }
    return resolved;
}

class DocxWalk {
public:
    DocxWalk(BookWriter& writer, const ZipArchive& zip, const std::map<std::string, Style>& styles,
             const std::map<std::string, std::string>& targets)
        : writer_(writer), zip_(zip), styles_(styles), targets_(targets)
    {
    }

    bool enter(xmlNode* node)
    {
        if (node->type != XML_ELEMENT_NODE)
            return false;
        const std::string name = localName(node);
        if (name == "del" || name == "movefrom" || name == "deltext" || name == "instrtext" || name == "fallback"
            || name == "ppr" || name == "rpr" || name == "sectpr" || name == "footnotereference"
            || name == "endnotereference" || name == "commentreference")
            return false;
        if (name == "p")
            return paragraph(node);
        if (name == "r") {
            const xmlNode* properties = childElement(node, "rpr");
            if (switchedOn(childElement(properties, "vanish")))
                return false;
            const auto style = styles_.find(attribute(childElement(properties, "rstyle"), "val", "w"));
            return style == styles_.end() || !style->second.hidden;
        }
        if (name == "t") {
            put(textOf(node));
            return false;
        }
        if (name == "tab") {
            put(" ");
            return false;
        }
        if (name == "nobreakhyphen") {
            put("-");
            return false;
        }
        if (name == "br" || name == "cr") {
            if (heading_)
                headingText_ += ' ';
            else
                writer_.breakLine();
            return false;
        }
        if (name == "blip") {
            image(attribute(node, "embed", "r"));
            return false;
        }
        if (name == "imagedata") {
            image(attribute(node, "id", "r"));
            return false;
        }
        if (name == "tr")
            writer_.endLine();
        return true;
    }

    void leave(xmlNode* node)
    {
        if (node->type != XML_ELEMENT_NODE)
            return;
        const std::string name = localName(node);
        if (node == heading_) {
            heading_ = nullptr;
            writer_.heading(headingLevel_, headingText_);
            for (const std::string& picture : headingPictures_)
                writer_.picture(picture);
            headingPictures_.clear();
        } else if (name == "p" || name == "tr") {
            writer_.endLine();
        } else if (name == "tc") {
            writer_.space();
        }
    }

private:
    bool paragraph(xmlNode* node)
    {
        const xmlNode* properties = childElement(node, "ppr");
        const auto style = styles_.find(attribute(childElement(properties, "pstyle"), "val", "w"));
        if (style != styles_.end() && style->second.hidden)
            return false;
        int level = levelOf(properties);
        if (level == 0 && style != styles_.end())
            level = style->second.level;
        if (level > 0 && !heading_) {
            writer_.endLine();
            heading_ = node;
            headingLevel_ = level;
            headingText_.clear();
        } else if (!heading_) {
            writer_.endLine();
        }
        return true;
    }

    void put(const std::string& text)
    {
        if (heading_)
            headingText_ += text;
        else
            writer_.literal(text);
    }

    void image(const std::string& id)
    {
        const auto target = targets_.find(id);
        if (target == targets_.end())
            return;
        const std::string& path = target->second;
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
    const std::map<std::string, Style>& styles_;
    const std::map<std::string, std::string>& targets_;
    xmlNode* heading_ = nullptr;
    int headingLevel_ = 0;
    std::string headingText_;
    std::vector<std::string> headingPictures_;
};

std::string relationsPath(const std::string& part)
{
    const std::size_t slash = part.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
    return folder + "_rels/" + part.substr(slash == std::string::npos ? 0 : slash + 1) + ".rels";
}

// Relationship ids to the paths of what they name, for the part at `part`.
std::map<std::string, std::string> readRelations(const ZipArchive& zip, const std::string& part)
{
    std::map<std::string, std::string> targets;
    std::string error;
    const std::string path = relationsPath(part);
    const std::optional<std::string> bytes = zip.contains(path) ? zip.read(path, error) : std::nullopt;
    const XmlDocument doc = bytes ? XmlDocument::parseXml(*bytes) : XmlDocument();
    for (xmlNode* at = doc ? doc.root()->children : nullptr; at; at = at->next) {
        if (!isElement(at, "relationship") || attribute(at, "targetmode") == "External")
            continue;
        const std::string target = resolvedPath(part, attribute(at, "target"));
        if (!target.empty())
            targets.emplace(attribute(at, "id"), target);
    }
    return targets;
}

}  // namespace

bool looksLikeDocx(const std::vector<std::string>& names)
{
    return std::find(names.begin(), names.end(), "[Content_Types].xml") != names.end()
           && std::find(names.begin(), names.end(), "word/document.xml") != names.end();
}

BookText readDocx(std::string_view bytes, const BookOptions& options)
{
    ZipArchive zip;
    if (!zip.open(bytes))
        return refused(zip.error());
    const std::string documentPath = "word/document.xml";
    if (!zip.contains(documentPath))
        return refused("The document has no word/document.xml.");
    std::string error;
    const std::optional<std::string> content = zip.read(documentPath, error);
    if (!content || !fitsToParse(*content, "The document's " + documentPath, error))
        return refused(error);
    const XmlDocument doc = XmlDocument::parseXml(*content);
    if (!doc)
        return refused("The document's word/document.xml is damaged.");

    std::map<std::string, Style> styles;
    if (zip.contains("word/styles.xml")) {
        const std::optional<std::string> styleBytes = zip.read("word/styles.xml", error);
        const XmlDocument styleDoc = styleBytes ? XmlDocument::parseXml(*styleBytes) : XmlDocument();
        if (styleDoc)
            styles = readStyles(styleDoc.root());
    }
    const std::map<std::string, std::string> targets = readRelations(zip, documentPath);

    xmlNode* body = findElement(doc.root(), "body");
    BookWriter writer;
    if (!body)
        return writer.finish();
    int top = 0;
    for (xmlNode* at = body; at; at = nextNode(at, body, !isElement(at, "del"))) {
        if (!isElement(at, "p"))
            continue;
        const xmlNode* properties = childElement(at, "ppr");
        int level = levelOf(properties);
        if (const auto style = styles.find(attribute(childElement(properties, "pstyle"), "val", "w"));
            level == 0 && style != styles.end())
            level = style->second.level;
        if (level > 0)
            top = top == 0 ? level : std::min(top, level);
    }
    writer.setChapterLevel(options.chapterLevel > 0 ? options.chapterLevel : top);
    DocxWalk walk(writer, zip, styles, targets);
    walkTree(
        body, [&walk](xmlNode* node) { return walk.enter(node); }, [&walk](xmlNode* node) { walk.leave(node); });
    return writer.finish();
}

}  // namespace tessaline::book
