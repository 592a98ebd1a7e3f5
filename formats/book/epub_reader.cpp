#include "formats/book/epub_reader.h"

#include <map>
#include <set>
#include <vector>

#include "formats/book/book_path.h"
#include "formats/book/book_writer.h"
#include "formats/book/html_walker.h"
#include "formats/book/style_sheet.h"
#include "formats/book/xml_document.h"
#include "formats/book/zip_archive.h"

namespace tessaline::book {

namespace {

constexpr std::string_view kEncrypted = "This book is encrypted (DRM) and cannot be opened.";
constexpr std::string_view kMissingChapters = "Chapters the book lists are missing and were left out.";
constexpr std::string_view kDamagedChapters = "Damaged chapters of the book were left out.";
constexpr std::string_view kMissingPictures = "Pictures the book shows are missing and were left out.";

// Font obfuscation (IDPF and Adobe) scrambles embedded fonts only.
bool isFontObfuscation(std::string_view algorithm)
{
    return algorithm == "http://www.idpf.org/2008/embedding" || algorithm == "http://ns.adobe.com/pdf/enc#RC";
}

struct ManifestItem {
    std::string path;
    std::string mediaType;
    std::string properties;
};

struct TocEntry {
    int depth = 1;
    std::string path;
    std::string fragment;
    std::string title;
};

BookText refused(std::string why)
{
    BookText book;
    book.error = std::move(why);
    return book;
}

std::string trimmed(std::string text)
{
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos)
        return {};
    const std::size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(start, end - start + 1);
}

bool encrypted(const ZipArchive& zip)
{
    const std::string name = "META-INF/encryption.xml";
    if (!zip.contains(name))
        return false;
    std::string error;
    const std::optional<std::string> bytes = zip.read(name, error);
    if (!bytes)
        return true;
    const XmlDocument doc = XmlDocument::parseXml(*bytes);
    if (!doc)
        return true;  // what it encrypts cannot be told
    for (xmlNode* at = doc.root(); at; at = nextNode(at, doc.root(), true)) {
        if (isElement(at, "encryptionmethod") && !isFontObfuscation(attribute(at, "algorithm")))
            return true;
    }
    return false;
}

// The depth of `node` counted in `step` elements up to `top`.
int depthIn(const xmlNode* node, const xmlNode* top, std::string_view step)
{
    int depth = 0;
    for (const xmlNode* at = node; at && at != top; at = at->parent) {
        if (isElement(at, step))
            ++depth;
    }
    return depth;
}

std::vector<TocEntry> navEntries(const ZipArchive& zip, const std::string& navPath)
{
    std::vector<TocEntry> entries;
    std::string error;
    const std::optional<std::string> bytes = zip.read(navPath, error);
    if (!bytes)
        return entries;
    const XmlDocument doc = XmlDocument::parseMarkup(*bytes);
    if (!doc)
        return entries;
    xmlNode* toc = nullptr;
    for (xmlNode* at = doc.root(); at && !toc; at = nextNode(at, doc.root(), true)) {
        if (isElement(at, "nav")
            && (hasWord(attribute(at, "type", "epub"), "toc") || hasWord(attribute(at, "role"), "doc-toc")))
            toc = at;
    }
    if (!toc)
        return entries;
    for (xmlNode* at = toc; at; at = nextNode(at, toc, true)) {
        if (!isElement(at, "li"))
            continue;
        xmlNode* label = childElement(at, "a");
        if (!label)
            label = childElement(at, "span");
        if (!label)
            continue;
        const std::string href = attribute(label, "href");
        const std::string path = href.empty() ? std::string() : resolvedPath(navPath, href);
        if (path.empty())
            continue;
        entries.push_back({depthIn(at, toc, "li"), path, fragmentOf(href), collapseSpace(textOf(label))});
    }
    return entries;
}

std::vector<TocEntry> ncxEntries(const ZipArchive& zip, const std::string& ncxPath)
{
    std::vector<TocEntry> entries;
    std::string error;
    const std::optional<std::string> bytes = zip.read(ncxPath, error);
    if (!bytes)
        return entries;
    const XmlDocument doc = XmlDocument::parseXml(*bytes);
    if (!doc)
        return entries;
    xmlNode* map = findElement(doc.root(), "navmap");
    for (xmlNode* at = map; at; at = nextNode(at, map, true)) {
        if (!isElement(at, "navpoint"))
            continue;
        const std::string src = attribute(childElement(at, "content"), "src");
        const std::string path = src.empty() ? std::string() : resolvedPath(ncxPath, src);
        if (path.empty())
            continue;
        entries.push_back({depthIn(at, map, "navpoint"), path, fragmentOf(src),
                           collapseSpace(textOf(childElement(childElement(at, "navlabel"), "text")))});
    }
    return entries;
}

// The ids of `root`'s elements among those `marks` names.
std::set<std::string> idsFound(xmlNode* root, const ChapterMarks& marks)
{
    std::set<std::string> found;
    if (marks.atId.empty())
        return found;
    for (xmlNode* at = root; at; at = nextNode(at, root, true)) {
        if (at->type != XML_ELEMENT_NODE)
            continue;
        if (std::string id = attribute(at, "id"); !id.empty() && marks.atId.contains(id))
            found.insert(std::move(id));
    }
    return found;
}

}  // namespace

BookText readEpub(std::string_view bytes, const BookOptions& options)
{
    ZipArchive zip;
    if (!zip.open(bytes))
        return refused(zip.error());
    std::string error;
    if (zip.contains("mimetype")) {
        const std::optional<std::string> type = zip.read("mimetype", error);
        if (!type)
            return refused(error);
        if (trimmed(*type) != kEpubMediaType)
            return refused("This is not an EPUB book: its mimetype is not " + std::string(kEpubMediaType) + ".");
    }
    if (encrypted(zip))
        return refused(std::string(kEncrypted));

    const std::string containerPath = "META-INF/container.xml";
    if (!zip.contains(containerPath))
        return refused("The book has no META-INF/container.xml, which names its package file.");
    const std::optional<std::string> containerBytes = zip.read(containerPath, error);
    if (!containerBytes)
        return refused(error);
    const XmlDocument container = XmlDocument::parseXml(*containerBytes);
    std::string opfPath;
    for (xmlNode* at = container.root(); at && opfPath.empty(); at = nextNode(at, container.root(), true)) {
        if (isElement(at, "rootfile"))
            opfPath = percentDecoded(attribute(at, "full-path"));
    }
    if (opfPath.empty())
        return refused("The book's META-INF/container.xml names no package file.");
    if (climbsOut(opfPath) || !zip.contains(opfPath))
        return refused("The book's package file \"" + opfPath.substr(0, 80) + "\" is missing.");
    const std::optional<std::string> opfBytes = zip.read(opfPath, error);
    if (!opfBytes)
        return refused(error);
    const XmlDocument opf = XmlDocument::parseXml(*opfBytes);
    if (!opf)
        return refused("The book's package file is damaged.");

    std::map<std::string, ManifestItem> manifest;
    std::map<std::string, std::string> typeByPath;
    std::string navPath;
    xmlNode* manifestNode = findElement(opf.root(), "manifest");
    for (xmlNode* item = manifestNode ? manifestNode->children : nullptr; item; item = item->next) {
        if (!isElement(item, "item"))
            continue;
        ManifestItem entry{resolvedPath(opfPath, attribute(item, "href")), attribute(item, "media-type"),
                           attribute(item, "properties")};
        if (entry.path.empty())
            continue;
        if (hasWord(entry.properties, "nav") && navPath.empty())
            navPath = entry.path;
        typeByPath[entry.path] = entry.mediaType;
        manifest.emplace(attribute(item, "id"), std::move(entry));
    }

    xmlNode* spine = findElement(opf.root(), "spine");
    std::vector<std::string> order;
    std::vector<std::string> afterwards;  // linear="no": after the reading order
    bool missing = false;
    for (xmlNode* ref = spine ? spine->children : nullptr; ref; ref = ref->next) {
        if (!isElement(ref, "itemref"))
            continue;
        const auto found = manifest.find(attribute(ref, "idref"));
        if (found == manifest.end() || !zip.contains(found->second.path)) {
            missing = true;
            continue;
        }
        (attribute(ref, "linear") == "no" ? afterwards : order).push_back(found->second.path);
    }
    order.insert(order.end(), afterwards.begin(), afterwards.end());
    if (order.empty())
        return refused(missing ? "The chapters the book lists are missing." : "The book lists no chapters.");

    std::vector<TocEntry> toc;
    if (!navPath.empty())
        toc = navEntries(zip, navPath);
    if (toc.empty()) {
        std::string ncxPath;
        if (spine) {
            if (const auto found = manifest.find(attribute(spine, "toc")); found != manifest.end())
                ncxPath = found->second.path;
        }
        for (const auto& [id, item] : manifest) {
            if (ncxPath.empty() && item.mediaType == "application/x-dtbncx+xml")
                ncxPath = item.path;
        }
        if (!ncxPath.empty())
            toc = ncxEntries(zip, ncxPath);
    }

    BookWriter writer;
    if (missing)
        writer.warn(std::string(kMissingChapters));
    std::map<std::string, ChapterMarks> marks;
    const std::set<std::string> inOrder(order.begin(), order.end());
    for (const TocEntry& entry : toc) {
        if (!inOrder.contains(entry.path) || (options.chapterLevel > 0 && entry.depth > options.chapterLevel))
            continue;
        ChapterMarks& mark = marks[entry.path];
        if (entry.fragment.empty())
            mark.atStart.push_back(entry.title);
        else
            mark.atId[entry.fragment].push_back(entry.title);
    }
    const bool byToc = !toc.empty();
    if (!byToc)
        writer.setChapterLevel(options.chapterLevel);

    std::set<std::string> hiddenClasses;
    for (const auto& [id, item] : manifest) {
        if (item.mediaType != "text/css")
            continue;
        if (const std::optional<std::string> css = zip.read(item.path, error))
            addHiddenClasses(*css, hiddenClasses);
    }

    std::string chapterPath;
    auto pictureFor = [&](const std::string& src) -> std::string {
        const std::string path = resolvedPath(chapterPath, src);
        if (path.empty())
            return {};
        if (std::string known = writer.pictureName(path); !known.empty())
            return known;
        std::string readError;
        std::optional<std::string> image = zip.contains(path) ? zip.read(path, readError) : std::nullopt;
        if (!image) {
            writer.warn(std::string(kMissingPictures));
            return {};
        }
        const auto type = typeByPath.find(path);
        return writer.keepPicture(path, std::move(*image),
                                  type != typeByPath.end() && !type->second.empty() ? type->second
                                                                                    : imageTypeFor(path));
    };
    HtmlWalker walker(writer, pictureFor);
    walker.addHiddenClasses(hiddenClasses);

    for (std::size_t i = 0; i < order.size(); ++i) {
        if (options.progress)
            options.progress(i, order.size());
        chapterPath = order[i];
        const std::string& type = typeByPath[chapterPath];
        if (type.starts_with("image/") && type != "image/svg+xml") {
            if (const std::string name = pictureFor(chapterPath.substr(chapterPath.rfind('/') + 1)); !name.empty())
                writer.picture(name);
            continue;
        }
        const std::optional<std::string> chapterBytes = zip.read(chapterPath, error);
        if (chapterBytes && !fitsToParse(*chapterBytes, "The chapter \"" + chapterPath + "\"", error))
            return refused(error);
        XmlDocument doc = chapterBytes ? XmlDocument::parseMarkup(*chapterBytes) : XmlDocument();
        if (!doc) {
            writer.warn(std::string(kDamagedChapters));
            continue;
        }
        ChapterMarks chapterMarks;
        if (const auto found = marks.find(chapterPath); found != marks.end()) {
            chapterMarks = found->second;
            // A fragment the chapter does not hold starts the chapter at its top.
            const std::set<std::string> found_ = idsFound(doc.root(), chapterMarks);
            for (auto at = chapterMarks.atId.begin(); at != chapterMarks.atId.end();) {
                if (found_.contains(at->first)) {
                    ++at;
                    continue;
                }
                chapterMarks.atStart.insert(chapterMarks.atStart.end(), at->second.begin(), at->second.end());
                at = chapterMarks.atId.erase(at);
            }
        } else if (!byToc && options.chapterLevel == 0) {
            chapterMarks.atStart.push_back(firstHeadingText(doc.root()));
        }
        walker.walk(doc.root(), chapterMarks);
    }
    if (options.progress)
        options.progress(order.size(), order.size());
    return writer.finish();
}

}  // namespace tessaline::book
