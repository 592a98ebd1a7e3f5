// Which book reader a file needs, and reading it.
#pragma once

#include <string>
#include <string_view>

#include "formats/book/book_text.h"

namespace tessaline::book {

enum class BookKind { None, Epub, Odt, Docx, Html, Markdown };

// The kind of book a file is: a zip file by its content (its mimetype entry,
// or a Word document's parts), HTML and Markdown by the file name's
// extension (.html, .htm, .xhtml; .md, .markdown). None for anything else,
// which is read as a text file.
BookKind bookKind(std::string_view fileName, std::string_view bytes);

// Reads a book of kind `kind` (not None). `folder` is the folder of the
// file, where the pictures of HTML and Markdown are found; empty: none are.
BookText readBook(BookKind kind, std::string_view bytes, const std::string& folder, const BookOptions& options = {});

}  // namespace tessaline::book
