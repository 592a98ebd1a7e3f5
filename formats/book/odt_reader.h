// OpenDocument text (.odt) as marked-up text.
#pragma once

#include <string_view>

#include "formats/book/book_text.h"

namespace tessaline::book {

inline constexpr std::string_view kOdtMediaType = "application/vnd.oasis.opendocument.text";

// Headings (text:h, by outline level) start chapters at the top level used
// or at levels 1 to options.chapterLevel; paragraphs, line breaks and list
// items end lines; images become pictures. Tracked deletions, notes,
// comments and hidden text (hidden paragraphs, sections and text, and text
// in a style that hides it) are left out.
BookText readOdt(std::string_view bytes, const BookOptions& options = {});

}  // namespace tessaline::book
