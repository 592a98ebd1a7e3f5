#include "formats/book/style_sheet.h"

namespace tessaline::book {

namespace {

std::string squeezed(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f')
            continue;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        out += c;
    }
    return out;
}

std::string withoutComments(std::string_view css)
{
    std::string out;
    out.reserve(css.size());
    std::size_t at = 0;
    while (at < css.size()) {
        const std::size_t open = css.find("/*", at);
        if (open == std::string_view::npos) {
            out.append(css.substr(at));
            break;
        }
        out.append(css.substr(at, open - at));
        const std::size_t close = css.find("*/", open + 2);
        if (close == std::string_view::npos)
            break;
        at = close + 2;
    }
    return out;
}

bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
           || static_cast<unsigned char>(c) >= 0x80;
}

// The class of a selector that is ".name" or "element.name", else empty.
std::string soleClass(std::string_view selector)
{
    while (!selector.empty()
           && (selector.front() == ' ' || selector.front() == '\n' || selector.front() == '\t'
               || selector.front() == '\r'))
        selector.remove_prefix(1);
    while (!selector.empty()
           && (selector.back() == ' ' || selector.back() == '\n' || selector.back() == '\t' || selector.back() == '\r'))
        selector.remove_suffix(1);
    const std::size_t dot = selector.find('.');
    if (dot == std::string_view::npos || dot + 1 >= selector.size())
        return {};
    for (std::size_t i = 0; i < dot; ++i) {
        if (!isNameChar(selector[i]))
            return {};
    }
    for (std::size_t i = dot + 1; i < selector.size(); ++i) {
        if (!isNameChar(selector[i]))
            return {};
    }
    return std::string(selector.substr(dot + 1));
}

}  // namespace

bool styleHides(std::string_view declarations)
{
    const std::string flat = squeezed(declarations);
    return flat.find("display:none") != std::string::npos || flat.find("visibility:hidden") != std::string::npos;
}

void addHiddenClasses(std::string_view css, std::set<std::string>& classes)
{
    const std::string text = withoutComments(css);
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('{', at);
        if (open == std::string::npos)
            return;
        std::string_view selectors = std::string_view(text).substr(at, open - at);
        if (const std::size_t statement = selectors.rfind(';'); statement != std::string_view::npos)
            selectors.remove_prefix(statement + 1);  // after "@import ...;" and the like
        // The block's end, counting nested blocks (an at-rule holds rules).
        std::size_t depth = 1;
        std::size_t close = open + 1;
        while (close < text.size() && depth > 0) {
            if (text[close] == '{')
                ++depth;
            else if (text[close] == '}')
                --depth;
            ++close;
        }
        const std::string_view body = std::string_view(text).substr(open + 1, close - open - 2 + (depth > 0 ? 1 : 0));
        const bool atRule = selectors.find('@') != std::string_view::npos;
        if (!atRule && styleHides(body)) {
            std::size_t start = 0;
            while (start <= selectors.size()) {
                const std::size_t comma = std::min(selectors.find(',', start), selectors.size());
                if (std::string name = soleClass(selectors.substr(start, comma - start)); !name.empty())
                    classes.insert(std::move(name));
                start = comma + 1;
            }
        }
        at = close;
    }
}

}  // namespace tessaline::book
