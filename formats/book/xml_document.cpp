#include "formats/book/xml_document.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

#include <limits>

#include "charset/charset.h"

namespace tessaline::book {

namespace {

const char* chars(const xmlChar* text) { return reinterpret_cast<const char*>(text); }

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool fits(std::string_view bytes) { return bytes.size() <= static_cast<std::size_t>(std::numeric_limits<int>::max()); }

}  // namespace

XmlDocument XmlDocument::parseXml(std::string_view bytes)
{
    XmlDocument document;
    if (!fits(bytes))
        return document;
    xmlInitParser();
    document.doc_.reset(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA));
    return document;
}

XmlDocument XmlDocument::parseMarkup(std::string_view bytes)
{
    XmlDocument document = parseXml(bytes);
    if (document || !fits(bytes))
        return document;
    document.doc_.reset(
        htmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                       HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING));
    return document;
}

std::string localName(const xmlNode* node)
{
    if (!node || !node->name)
        return {};
    std::string_view name = chars(node->name);
    if (const std::size_t colon = name.find(':'); colon != std::string_view::npos)
        name.remove_prefix(colon + 1);
    std::string low(name);
    for (char& c : low) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return low;
}

bool isElement(const xmlNode* node, std::string_view name)
{
    return node && node->type == XML_ELEMENT_NODE && localName(node) == name;
}

static const xmlAttr* findAttribute(const xmlNode* node, std::string_view name, std::string_view prefix)
{
    if (!node || node->type != XML_ELEMENT_NODE)
        return nullptr;
    for (const xmlAttr* attr = node->properties; attr; attr = attr->next) {
        const std::string_view attrName = chars(attr->name);
        if (prefix.empty()) {
            if (sameName(attrName, name))
                return attr;
            continue;
        }
        if (attr->ns && attr->ns->prefix && sameName(chars(attr->ns->prefix), prefix) && sameName(attrName, name))
            return attr;
        if (attrName.size() == prefix.size() + 1 + name.size() && sameName(attrName.substr(0, prefix.size()), prefix)
            && attrName[prefix.size()] == ':' && sameName(attrName.substr(prefix.size() + 1), name))
            return attr;
    }
    return nullptr;
}

std::string attribute(const xmlNode* node, std::string_view name, std::string_view prefix)
{
    const xmlAttr* attr = findAttribute(node, name, prefix);
    std::string value;
    if (!attr)
        return value;
    for (const xmlNode* child = attr->children; child; child = child->next) {
        if (child->type == XML_TEXT_NODE && child->content)
            value += chars(child->content);
        else if (child->type == XML_ENTITY_REF_NODE)
            value += entityText(chars(child->name));
    }
    return value;
}

bool hasAttribute(const xmlNode* node, std::string_view name, std::string_view prefix)
{
    return findAttribute(node, name, prefix) != nullptr;
}

xmlNode* childElement(const xmlNode* node, std::string_view name)
{
    if (!node)
        return nullptr;
    for (xmlNode* child = node->children; child; child = child->next) {
        if (isElement(child, name))
            return child;
    }
    return nullptr;
}

xmlNode* nextNode(xmlNode* node, const xmlNode* top, bool intoChildren)
{
    if (intoChildren && node->children && node->type != XML_ENTITY_REF_NODE)
        return node->children;
    while (node && node != top) {
        if (node->next)
            return node->next;
        node = node->parent;
    }
    return nullptr;
}

xmlNode* findElement(xmlNode* node, std::string_view name)
{
    for (xmlNode* at = node; at; at = nextNode(at, node, true)) {
        if (isElement(at, name))
            return at;
    }
    return nullptr;
}

std::string textOf(const xmlNode* node)
{
    std::string text;
    if (!node)
        return text;
    xmlNode* top = const_cast<xmlNode*>(node);
    for (xmlNode* at = top; at; at = nextNode(at, top, true)) {
        if ((at->type == XML_TEXT_NODE || at->type == XML_CDATA_SECTION_NODE) && at->content)
            text += chars(at->content);
        else if (at->type == XML_ENTITY_REF_NODE)
            text += entityText(chars(at->name));
    }
    return text;
}

std::string entityText(std::string_view name)
{
    const std::string terminated(name);
    const htmlEntityDesc* entity = htmlEntityLookup(reinterpret_cast<const xmlChar*>(terminated.c_str()));
    if (!entity)
        return {};
    return charset::encodeUtf8(std::u32string(1, static_cast<char32_t>(entity->value)));
}

void walkTree(xmlNode* root, const std::function<bool(xmlNode*)>& enter, const std::function<void(xmlNode*)>& leave)
{
    xmlNode* node = root;
    while (node) {
        const bool entered = enter(node);
        if (entered && node->children && node->type != XML_ENTITY_REF_NODE) {
            node = node->children;
            continue;
        }
        if (entered)
            leave(node);
        while (node != root && !node->next) {
            node = node->parent;
            leave(node);
        }
        node = node == root ? nullptr : node->next;
    }
}

bool hasWord(std::string_view list, std::string_view word)
{
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t end = std::min(list.find_first_of(" \t\r\n\f", start), list.size());
        if (end > start && sameName(list.substr(start, end - start), word))
            return true;
        start = end + 1;
    }
    return false;
}

bool fitsToParse(std::string_view bytes, const std::string& what, std::string& error)
{
    if (bytes.size() <= kMaxMarkupBytes)
        return true;
    error = what + " is larger than " + std::to_string(kMaxMarkupBytes >> 20)
            + " MB, the most that is read as one part, and is refused.";
    return false;
}

}  // namespace tessaline::book
