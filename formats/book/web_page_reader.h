// Single documents beside their pictures: an HTML page or a Markdown text.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "formats/book/book_text.h"

namespace tessaline::book {

// The bytes of a picture a document names by `src` (as written), or nothing
// when it cannot be had.
using PictureSource = std::function<std::optional<std::string>(const std::string& src)>;

// An HTML page: headings of the top level it uses (or of levels 1 to
// options.chapterLevel) start chapters, images become pictures.
BookText readHtml(std::string_view bytes, const PictureSource& pictures, const BookOptions& options = {});

// A CommonMark text, rendered to HTML (with md4c) and read as readHtml reads.
BookText readMarkdown(std::string_view bytes, const PictureSource& pictures, const BookOptions& options = {});

// Pictures from the folder `folder` (a relative src is taken from there;
// links to elsewhere are not followed) and from "data:" links. Each file is
// read up to kMaxPictureBytes.
PictureSource picturesBeside(std::string folder);
inline constexpr std::size_t kMaxPictureBytes = std::size_t{32} << 20;

}  // namespace tessaline::book
