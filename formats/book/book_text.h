// What the book readers give: the book as marked-up calculator text (chapter
// and picture lines in place) and the pictures it names.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tessaline::book {

// An image of the book, kept for the "_PIC" line that names it.
struct BookPicture {
    std::string name;       // the name on the "_PIC" line: a valid variable name, unique in the book
    std::string bytes;      // the image file as the book holds it
    std::string mediaType;  // "image/png", "image/jpeg", ...; empty when unknown
};

struct BookOptions {
    // The headings that start chapters: those of levels 1 to chapterLevel
    // (an EPUB's table of contents down to that depth). 0: an EPUB's whole
    // table of contents, or else the top heading level the document uses.
    int chapterLevel = 0;
    // Told how far reading has gone, in parts of the book (an EPUB's
    // chapters); may be empty.
    std::function<void(std::size_t done, std::size_t total)> progress;
};

struct BookText {
    bool ok = false;
    std::string codes;         // calculator codes, CR LF line ends
    std::size_t replaced = 0;  // characters without a calculator code
    std::string error;         // why, when !ok
    std::string warning;       // what the text survives (missing chapters or pictures)
    std::vector<BookPicture> pictures;
};

}  // namespace tessaline::book
