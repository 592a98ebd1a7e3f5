// Builds a book's marked-up text as the readers walk it: lines, chapters
// ("_CHA" then "_TIL title"), pictures ("_PIC name") and the pictures' names.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "formats/book/book_text.h"

namespace tessaline::book {

class BookWriter {
public:
    // Headings of levels 1 to `level` start chapters; 0: none does.
    void setChapterLevel(int level) { chapterLevel_ = level; }
    int chapterLevel() const { return chapterLevel_; }

    // Text whose white space runs are one space, as in HTML.
    void text(std::string_view utf8);
    // Text kept as it is; LF ends a line.
    void literal(std::string_view utf8);
    // Ends the line when it holds anything (a block's edge).
    void endLine();
    // Ends the line even when it is empty (a line break).
    void breakLine();
    // A space unless the line is empty or already ends with one.
    void space() { pendingSpace_ = lineUsed_; }

    // Starts a chapter. A heading that follows before any other text and
    // says the same as `title` is not written again.
    void chapter(std::string_view title);
    // A heading: a chapter at the chapter levels, otherwise a line.
    void heading(int level, std::string_view title);

    // The picture kept under `key` (the image's path in the book): its
    // name, or empty when none is kept under that key yet.
    std::string pictureName(const std::string& key) const;
    // Keeps an image as a picture named after the file name in `nameFrom`
    // (by default the key), made a valid calculator name unique in the book;
    // returns the name.
    std::string keepPicture(const std::string& key, std::string bytes, std::string mediaType,
                            std::string_view nameFrom = {});
    // A "_PIC" line.
    void picture(std::string_view name);

    // Something the text survives, told once however often it happens.
    void warn(const std::string& what);

    // The text converted to calculator codes, with the pictures.
    BookText finish();

private:
    void put(std::string_view utf8);

    std::string out_;  // UTF-8, LF line ends
    bool lineUsed_ = false;
    bool pendingSpace_ = false;
    int chapterLevel_ = 0;
    std::string titleToSkip_;  // normalised; empty when no heading is skipped
    std::map<std::string, std::size_t> pictureByKey_;
    std::set<std::string> pictureNames_;
    std::vector<BookPicture> pictures_;
    std::vector<std::string> warnings_;  // each once, in the order first told
};

// `text` with white space runs made one space and none at either end.
std::string collapseSpace(std::string_view text);

// A valid calculator variable name (a letter, then letters, digits or "_",
// at most 8) made from a file path: its name without folders, extension and
// other characters, lower case; "pic" when nothing is left. Made unique
// against `taken` by a number at its end.
std::string pictureNameFor(std::string_view path, const std::set<std::string>& taken);

}  // namespace tessaline::book
