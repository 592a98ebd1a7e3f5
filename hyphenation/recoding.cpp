// Recoding through the system's iconv.

#include "hyphenation/recoding.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

namespace tessaline::hyphenation {

std::optional<std::string> recode(std::string_view text, const std::string& from, const std::string& to)
{
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out;
    std::string in(text);
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char buffer[4096];
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    if (!ok) {
        return std::nullopt;
    }
    return out;
}

std::string canonicalEncoding(std::string_view name)
{
    std::string plain;
    for (char c : name) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            plain.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        }
    }
    if (plain == "UTF8") {
        return "UTF-8";
    }
    if (plain == "ISO88591" || plain == "LATIN1") {
        return "ISO8859-1";
    }
    return std::string(name);
}

}  // namespace tessaline::hyphenation
