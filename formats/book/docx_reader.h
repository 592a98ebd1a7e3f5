// Word documents (.docx, Office Open XML) as marked-up text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/book/book_text.h"

namespace tessaline::book {

// Headings (by outline level, or a "heading N" paragraph style) start
// chapters at the top level used or at levels 1 to options.chapterLevel;
// paragraphs, line breaks and table rows end lines; images become pictures.
// Deleted text (tracked changes), hidden text (w:vanish), field codes and
// the fallbacks of alternative content are left out.
BookText readDocx(std::string_view bytes, const BookOptions& options = {});

// Whether the entry names of a zip file are those of a Word document.
bool looksLikeDocx(const std::vector<std::string>& names);

}  // namespace tessaline::book
