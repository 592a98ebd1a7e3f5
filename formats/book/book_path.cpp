#include "formats/book/book_path.h"

#include <vector>

namespace tessaline::book {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string lowered(std::string_view text)
{
    std::string low(text);
    for (char& c : low) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return low;
}

}  // namespace

std::string percentDecoded(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string_view withoutFragment(std::string_view href)
{
    return href.substr(0, std::min(href.find('#'), href.find('?')));
}

std::string fragmentOf(std::string_view href)
{
    const std::size_t hash = href.find('#');
    return hash == std::string_view::npos ? std::string() : percentDecoded(href.substr(hash + 1));
}

std::string resolvedPath(std::string_view from, std::string_view href)
{
    std::string_view target = withoutFragment(href);
    while (!target.empty() && (target.front() == ' ' || target.front() == '\t' || target.front() == '\n'))
        target.remove_prefix(1);
    while (!target.empty() && (target.back() == ' ' || target.back() == '\t' || target.back() == '\n'))
        target.remove_suffix(1);
    if (target.empty())
        return {};
    // A scheme ("http:", "data:", "mailto:") names something outside the book.
    const std::size_t colon = target.find(':');
    if (colon != std::string_view::npos && target.substr(0, colon).find('/') == std::string_view::npos)
        return {};
    const std::string decoded = percentDecoded(target);

    std::vector<std::string> steps;
    if (decoded.front() != '/') {
        const std::size_t slash = from.rfind('/');
        if (slash != std::string_view::npos) {
            std::string_view folder = from.substr(0, slash);
            std::size_t start = 0;
            while (start <= folder.size()) {
                const std::size_t end = std::min(folder.find('/', start), folder.size());
                if (end > start)
                    steps.emplace_back(folder.substr(start, end - start));
                start = end + 1;
            }
        }
    }
    std::size_t start = 0;
    while (start <= decoded.size()) {
        const std::size_t end = std::min(decoded.find('/', start), decoded.size());
        const std::string step = decoded.substr(start, end - start);
        if (step == "..") {
            if (steps.empty())
                return {};
            steps.pop_back();
        } else if (!step.empty() && step != ".") {
            steps.push_back(step);
        }
        start = end + 1;
    }
    std::string path;
    for (const std::string& step : steps) {
        if (!path.empty())
            path += '/';
        path += step;
    }
    return path;
}

std::string imageTypeFor(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    const std::string extension = lowered(path.substr(dot + 1));
    if (extension == "png")
        return "image/png";
    if (extension == "jpg" || extension == "jpeg")
        return "image/jpeg";
    if (extension == "gif")
        return "image/gif";
    if (extension == "svg")
        return "image/svg+xml";
    if (extension == "bmp")
        return "image/bmp";
    if (extension == "webp")
        return "image/webp";
    return {};
}

}  // namespace tessaline::book
