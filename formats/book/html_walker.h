// The one walk from HTML or XHTML to marked-up text, shared by EPUB
// chapters, web pages and Markdown (rendered to HTML first).
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <libxml/tree.h>

#include "formats/book/book_writer.h"

namespace tessaline::book {

// Where a document's chapters start when a table of contents says so.
struct ChapterMarks {
    std::vector<std::string> atStart;                      // titles of chapters starting with the document
    std::map<std::string, std::vector<std::string>> atId;  // titles of chapters starting at an element's id
};

// Block elements (p, div, h1-h6, li, blockquote, tr, ...) end lines, br
// breaks one, td and th are set apart by a space, pre keeps its white space;
// head, script, style and elements hidden (the hidden attribute, an inline
// display:none, a class the style sheets hide) are left out. Headings go to
// the writer as headings, images as pictures.
class HtmlWalker {
public:
    // The picture name for an image's src (as written in the document);
    // empty when the image cannot be had.
    using PictureFor = std::function<std::string(const std::string& src)>;

    HtmlWalker(BookWriter& writer, PictureFor pictureFor);

    // Classes the book's style sheets hide; the document's own style
    // elements are added by walk().
    void addHiddenClasses(const std::set<std::string>& classes);

    void walk(xmlNode* root, const ChapterMarks& marks = {});

private:
    bool enter(xmlNode* node);
    void leave(xmlNode* node);
    bool hidden(const xmlNode* element) const;
    void textNode(const std::string& text);
    void image(const std::string& src);

    BookWriter& writer_;
    PictureFor pictureFor_;
    std::set<std::string> bookClasses_;    // hidden by the book's style sheets
    std::set<std::string> hiddenClasses_;  // those and the document's own, while walking
    const ChapterMarks* marks_ = nullptr;
    int preDepth_ = 0;
    xmlNode* heading_ = nullptr;  // the heading whose text is being gathered
    int headingLevel_ = 0;
    std::string headingText_;
    std::vector<std::string> headingPictures_;  // pictures met inside the heading
};

// The heading level (1-6) of an element, or 0.
int headingLevel(const xmlNode* node);
// The text of the first heading at or under `root`, or empty.
std::string firstHeadingText(xmlNode* root);
// The top (smallest) heading level used under `root`, or 0 when none is.
int topHeadingLevel(xmlNode* root);

}  // namespace tessaline::book
