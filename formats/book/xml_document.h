// XML and HTML documents parsed with libxml2, and the few questions the
// book readers ask of their nodes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <libxml/tree.h>

namespace tessaline::book {

// The largest page, chapter or document part read as one: its parsed tree
// takes ten times its size and more, so a larger one is refused (a book of
// many chapters may be far larger as a whole).
inline constexpr std::size_t kMaxMarkupBytes = std::size_t{32} << 20;
// Whether `bytes` is small enough to parse; when not, `error` says so of
// `what` ("The page", "The chapter \"c1.xhtml\"").
bool fitsToParse(std::string_view bytes, const std::string& what, std::string& error);

class XmlDocument {
public:
    // Well-formed XML (a package file, a table of contents, a word
    // processor's content); nothing from the network, no entity expanded
    // into the tree, no message printed.
    static XmlDocument parseXml(std::string_view bytes);
    // A chapter or web page: as XML when it is well-formed, otherwise with
    // the tolerant HTML parser, which also knows the HTML entities.
    static XmlDocument parseMarkup(std::string_view bytes);

    explicit operator bool() const { return doc_ != nullptr; }
    xmlNode* root() const { return doc_ ? xmlDocGetRootElement(doc_.get()) : nullptr; }

private:
    struct Free {
        void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
    };
    std::unique_ptr<xmlDoc, Free> doc_;
};

// An element's name without its prefix, in lower case.
std::string localName(const xmlNode* node);
bool isElement(const xmlNode* node, std::string_view name);
// The attribute named `name` (without prefix, any case), in the namespace
// with prefix `prefix` when one is given (an HTML parse keeps "epub:type" as
// the whole name); empty when absent.
std::string attribute(const xmlNode* node, std::string_view name, std::string_view prefix = {});
bool hasAttribute(const xmlNode* node, std::string_view name, std::string_view prefix = {});
// The first child element named `name`, or null.
xmlNode* childElement(const xmlNode* node, std::string_view name);
// The first element named `name` at or under `node` in document order, or null.
xmlNode* findElement(xmlNode* node, std::string_view name);
// The text under `node`; character references and HTML entities resolved.
std::string textOf(const xmlNode* node);
// The UTF-8 of an HTML entity named `name` (without & and ;), or empty.
std::string entityText(std::string_view name);
// Whether `list` (white space separated words) holds `word`.
bool hasWord(std::string_view list, std::string_view word);

// The next node after `node` in document order inside `top`, skipping
// `node`'s children when `intoChildren` is false; null at the end.
xmlNode* nextNode(xmlNode* node, const xmlNode* top, bool intoChildren);

// Visits the nodes under and including `root` in document order, without
// recursion (a deeply nested document cannot exhaust the stack): `enter` for
// every node, true to visit its children, and then `leave` for that node
// once its children are done.
void walkTree(xmlNode* root, const std::function<bool(xmlNode*)>& enter, const std::function<void(xmlNode*)>& leave);

}  // namespace tessaline::book
