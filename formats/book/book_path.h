// Paths inside a book: links resolved against the file that holds them.
#pragma once

#include <string>
#include <string_view>

namespace tessaline::book {

// "%20" and the like decoded; a broken escape is kept as it is.
std::string percentDecoded(std::string_view text);

// A link's target without its "#fragment" and "?query".
std::string_view withoutFragment(std::string_view href);
// The fragment of a link (after "#", percent-decoded), or empty.
std::string fragmentOf(std::string_view href);

// The path inside the book that `href` (as written in the file at path
// `from`) names: relative to `from`'s folder, or to the top when it starts
// with "/", percent-decoded, "." and ".." steps taken. Empty for a link to
// elsewhere (a scheme such as "http:"), an empty path, or a path that climbs
// above the top.
std::string resolvedPath(std::string_view from, std::string_view href);

// The media type a picture's file name suggests ("image/png"), or empty.
std::string imageTypeFor(std::string_view path);

}  // namespace tessaline::book
