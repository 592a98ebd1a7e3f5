#include "formats/book/html_walker.h"

#include <array>
#include <string_view>

#include "formats/book/style_sheet.h"
#include "formats/book/xml_document.h"

namespace tessaline::book {

namespace {

constexpr std::array<std::string_view, 6> kLeftOut = {"head", "script", "style", "template", "title", "noscript"};

constexpr std::array<std::string_view, 34> kBlocks = {
    "p",          "div",     "h1",     "h2",     "h3",      "h4",    "h5",     "h6",         "li",
    "blockquote", "tr",      "hr",     "ul",     "ol",      "dl",    "dt",     "dd",         "table",
    "section",    "article", "header", "footer", "aside",   "nav",   "figure", "figcaption", "pre",
    "address",    "body",    "main",   "center", "caption", "tbody", "details"};

bool isOneOf(const std::string& name, const auto& names)
{
    for (const std::string_view candidate : names) {
        if (name == candidate)
            return true;
    }
    return false;
}

}  // namespace

int headingLevel(const xmlNode* node)
{
    if (!node || node->type != XML_ELEMENT_NODE)
        return 0;
    const std::string name = localName(node);
    if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6')
        return name[1] - '0';
    return 0;
}

std::string firstHeadingText(xmlNode* root)
{
    for (xmlNode* at = root; at; at = nextNode(at, root, true)) {
        if (headingLevel(at) > 0) {
            if (std::string text = collapseSpace(textOf(at)); !text.empty())
                return text;
        }
    }
    return {};
}

int topHeadingLevel(xmlNode* root)
{
    int top = 0;
    for (xmlNode* at = root; at; at = nextNode(at, root, !isElement(at, "head"))) {
        const int level = headingLevel(at);
        if (level > 0 && (top == 0 || level < top))
            top = level;
    }
    return top;
}

HtmlWalker::HtmlWalker(BookWriter& writer, PictureFor pictureFor) : writer_(writer), pictureFor_(std::move(pictureFor))
{
}

void HtmlWalker::addHiddenClasses(const std::set<std::string>& classes)
{
    bookClasses_.insert(classes.begin(), classes.end());
}

bool HtmlWalker::hidden(const xmlNode* element) const
{
    if (hasAttribute(element, "hidden"))
        return true;
    if (styleHides(attribute(element, "style")))
        return true;
    const std::string classes = attribute(element, "class");
    if (classes.empty() || hiddenClasses_.empty())
        return false;
    for (const std::string& name : hiddenClasses_) {
        if (hasWord(classes, name))
            return true;
    }
    return false;
}

void HtmlWalker::walk(xmlNode* root, const ChapterMarks& marks)
{
    if (!root)
        return;
    marks_ = &marks;
    hiddenClasses_ = bookClasses_;
    for (xmlNode* at = root; at; at = nextNode(at, root, true)) {
        if (isElement(at, "style"))
            book::addHiddenClasses(textOf(at), hiddenClasses_);
    }
    for (const std::string& title : marks.atStart)
        writer_.chapter(title);

    walkTree(
        root, [this](xmlNode* node) { return enter(node); }, [this](xmlNode* node) { leave(node); });
    marks_ = nullptr;
}

void HtmlWalker::textNode(const std::string& text)
{
    if (heading_) {
        headingText_ += text;
    } else if (preDepth_ > 0) {
        writer_.literal(text);
    } else {
        writer_.text(text);
    }
}

void HtmlWalker::image(const std::string& src)
{
    if (src.empty())
        return;
    const std::string name = pictureFor_(src);
    if (name.empty())
        return;
    if (heading_)
        headingPictures_.push_back(name);
    else
        writer_.picture(name);
}

bool HtmlWalker::enter(xmlNode* node)
{
    switch (node->type) {
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        if (node->content)
            textNode(reinterpret_cast<const char*>(node->content));
        return false;
    case XML_ENTITY_REF_NODE:
        textNode(entityText(reinterpret_cast<const char*>(node->name)));
        return false;
    case XML_ELEMENT_NODE:
        break;
    default:
        return false;
    }
    const std::string name = localName(node);
    if (isOneOf(name, kLeftOut) || hidden(node))
        return false;
    if (marks_) {
        if (const std::string id = attribute(node, "id"); !id.empty()) {
            if (const auto found = marks_->atId.find(id); found != marks_->atId.end()) {
                for (const std::string& title : found->second)
                    writer_.chapter(title);
            }
        }
    }
    if (name == "br") {
        if (heading_)
            headingText_ += ' ';
        else
            writer_.breakLine();
        return false;
    }
    if (name == "img") {
        image(attribute(node, "src"));
        return false;
    }
    if (name == "image") {  // SVG
        std::string href = attribute(node, "href", "xlink");
        image(href.empty() ? attribute(node, "href") : href);
        return false;
    }
    if (const int level = headingLevel(node); level > 0 && !heading_) {
        writer_.endLine();
        heading_ = node;
        headingLevel_ = level;
        headingText_.clear();
        headingPictures_.clear();
        return true;
    }
    if (heading_) {
        if (isOneOf(name, kBlocks))
            headingText_ += ' ';
        return true;
    }
    if (name == "pre")
        ++preDepth_;
    if (isOneOf(name, kBlocks))
        writer_.endLine();
    return true;
}

void HtmlWalker::leave(xmlNode* node)
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
        return;
    }
    if (heading_) {
        if (isOneOf(name, kBlocks) || name == "td" || name == "th")
            headingText_ += ' ';
        return;
    }
    if (name == "pre" && preDepth_ > 0)
        --preDepth_;
    if (name == "td" || name == "th")
        writer_.space();
    else if (isOneOf(name, kBlocks))
        writer_.endLine();
}

}  // namespace tessaline::book
