// Between calculator codes and a dictionary's encoding (the first line of
// its file: UTF-8, ISO8859-1, or another name iconv knows).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaline::hyphenation {

// `text` from one encoding to another, as iconv names them; nothing when
// iconv knows neither or a character has no place in `to`.
std::optional<std::string> recode(std::string_view text, const std::string& from, const std::string& to);

// The UTF-8 or ISO8859-1 spelling of a dictionary's encoding name, as
// libhyphen and the files write them ("ISO8859-1", "utf-8"), or the name
// as it is.
std::string canonicalEncoding(std::string_view name);

}  // namespace tessaline::hyphenation
