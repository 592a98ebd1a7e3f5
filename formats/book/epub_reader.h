// EPUB 2 and 3 books as marked-up text.
#pragma once

#include <string_view>

#include "formats/book/book_text.h"

namespace tessaline::book {

// Whether a zip file holding the entry `mimetype` is an EPUB by it.
inline constexpr std::string_view kEpubMediaType = "application/epub+zip";

// The chapters in the order of the package's spine (items marked
// linear="no" after the others), each "_CHA" then "_TIL" with its title:
// from the EPUB 3 navigation document, else the EPUB 2 NCX, else the
// chapter's first heading. Pictures are the images the chapters show. A book
// that is not an EPUB, is damaged beyond reading or is encrypted (font
// obfuscation alone is not encryption) is refused with a message.
BookText readEpub(std::string_view bytes, const BookOptions& options = {});

}  // namespace tessaline::book
