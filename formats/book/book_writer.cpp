#include "formats/book/book_writer.h"

#include <algorithm>

#include "charset/charset.h"
#include "formats/calc_text_file.h"

namespace tessaline::book {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

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

std::string collapseSpace(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    bool space = false;
    for (const char c : text) {
        if (isSpace(c)) {
            space = !out.empty();
            continue;
        }
        if (space)
            out += ' ';
        space = false;
        out += c;
    }
    return out;
}

std::string pictureNameFor(std::string_view path, const std::set<std::string>& taken)
{
    std::string_view file = path.substr(path.find_last_of('/') + 1);
    if (const std::size_t dot = file.rfind('.'); dot != std::string_view::npos && dot > 0)
        file = file.substr(0, dot);
    std::string base;
    for (const char c : file) {
        const char low = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        const bool letter = low >= 'a' && low <= 'z';
        const bool digit = low >= '0' && low <= '9';
        if (base.empty() && !letter)
            continue;
        if (letter || digit || low == '_')
            base += low;
        if (base.size() == kMaxCalcNameLength)
            break;
    }
    if (base.empty())
        base = "pic";
    if (!taken.contains(base))
        return base;
    for (unsigned number = 1;; ++number) {
        const std::string suffix = std::to_string(number);
        const std::string name = base.substr(0, kMaxCalcNameLength - suffix.size()) + suffix;
        if (!taken.contains(name))
            return name;
    }
}

void BookWriter::put(std::string_view utf8)
{
    if (utf8.empty())
        return;
    if (pendingSpace_)
        out_ += ' ';
    pendingSpace_ = false;
    out_ += utf8;
    lineUsed_ = true;
    titleToSkip_.clear();
}

void BookWriter::text(std::string_view utf8)
{
    std::size_t i = 0;
    while (i < utf8.size()) {
        if (isSpace(utf8[i])) {
            if (lineUsed_)
                pendingSpace_ = true;
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < utf8.size() && !isSpace(utf8[end]))
            ++end;
        put(utf8.substr(i, end - i));
        i = end;
    }
}

void BookWriter::literal(std::string_view utf8)
{
    std::size_t start = 0;
    while (start <= utf8.size()) {
        const std::size_t end = utf8.find('\n', start);
        if (end == std::string_view::npos) {
            put(utf8.substr(start));
            return;
        }
        put(utf8.substr(start, end - start));
        breakLine();
        start = end + 1;
    }
}

void BookWriter::endLine()
{
    if (lineUsed_)
        breakLine();
}

void BookWriter::breakLine()
{
    out_ += '\n';
    lineUsed_ = false;
    pendingSpace_ = false;
}

void BookWriter::chapter(std::string_view title)
{
    endLine();
    const std::string shown = collapseSpace(title);
    out_ += "_CHA\n_TIL ";
    out_ += shown;
    out_ += '\n';
    titleToSkip_ = lowered(shown);
}

void BookWriter::heading(int level, std::string_view title)
{
    const std::string shown = collapseSpace(title);
    if (!titleToSkip_.empty() && lowered(shown) == titleToSkip_) {
        titleToSkip_.clear();
        return;
    }
    if (level >= 1 && level <= chapterLevel_ && !shown.empty()) {
        chapter(shown);
        return;
    }
    endLine();
    put(shown);
    endLine();
}

std::string BookWriter::pictureName(const std::string& key) const
{
    const auto found = pictureByKey_.find(key);
    return found == pictureByKey_.end() ? std::string() : pictures_[found->second].name;
}

std::string BookWriter::keepPicture(const std::string& key, std::string bytes, std::string mediaType,
                                    std::string_view nameFrom)
{
    if (std::string known = pictureName(key); !known.empty())
        return known;
    std::string name = pictureNameFor(nameFrom.empty() ? key : nameFrom, pictureNames_);
    pictureNames_.insert(name);
    pictureByKey_.emplace(key, pictures_.size());
    pictures_.push_back({name, std::move(bytes), std::move(mediaType)});
    return name;
}

void BookWriter::picture(std::string_view name)
{
    endLine();
    out_ += "_PIC ";
    out_ += name;
    out_ += '\n';
    titleToSkip_.clear();
}

void BookWriter::warn(const std::string& what)
{
    if (std::find(warnings_.begin(), warnings_.end(), what) == warnings_.end())
        warnings_.push_back(what);
}

BookText BookWriter::finish()
{
    BookText book;
    // The last line has no line end after it, as in a text typed in the
    // editor.
    while (!out_.empty() && out_.back() == '\n')
        out_.pop_back();
    charset::Conversion converted = charset::fromUtf8(out_);
    std::string().swap(out_);
    book.codes = charset::normalizeLineEnds(converted.codes);
    book.replaced = converted.replaced;
    for (const std::string& warning : warnings_) {
        if (!book.warning.empty())
            book.warning += '\n';
        book.warning += warning;
    }
    book.pictures = std::move(pictures_);
    book.ok = true;
    return book;
}

}  // namespace tessaline::book
