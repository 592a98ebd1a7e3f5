// The input of tessaline-process as calculator codes.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/file_io.h"
#include "formats/book/book_reader.h"
#include "formats/text_file.h"

namespace tessaline::cli {

class DecodeAhead;

// The codes to process: the input's bytes themselves, the input read whole
// as the editor opens a file, or the same read a piece at a time as the pass
// asks for it. Read in pieces, a regular file of plain text is read twice
// through one buffer (to settle its encoding, then to decode it) and never
// held whole; any other input is held whole and decoded a piece at a time.
// A regular file is decoded on a thread of its own, a few pieces ahead of the
// pass. A book (EPUB, ODT, DOCX by their content, HTML and Markdown by the
// file's name) is read whole into its marked-up text.
class TextInput {
public:
    enum class Reading { Raw, Whole, Pieces };

    TextInput();
    TextInput(const TextInput&) = delete;
    TextInput& operator=(const TextInput&) = delete;
    ~TextInput();

    // The heading levels that start a book's chapters (--chapters); 0: the
    // book's own. Set before open().
    void setChapterLevel(int level) { chapterLevel_ = level; }

    // Opens and reads the input (in pieces: as far as the first piece
    // needs); more than `limit` bytes are refused. Returns false with a
    // one-line message in `error`; throws std::bad_alloc when memory runs out.
    bool open(const std::string& path, Reading reading, std::string& error, std::size_t limit = kInputLimit);

    // Raw and Whole: the codes, until released.
    std::string_view codes() const { return codes_; }
    // The codes, moved out (copied from raw bytes); the input is released.
    std::string takeCodes();

    // Pieces: the next piece of codes, readable until the next call; false
    // at the end and when reading fails (failed() then says why).
    bool nextPiece(std::string_view& piece);
    bool failed() const { return !readError_.empty(); }
    const std::string& readError() const { return readError_; }

    // Input characters without a calculator code; complete at the end.
    std::size_t replaced() const;
    // A problem of the input that the text survives.
    const std::string& warning() const { return warning_; }
    // A book's own pictures, by the names its "_PIC" lines give.
    const std::vector<book::BookPicture>& bookPictures() const { return bookPictures_; }
    // "standard input" or the path, for messages.
    const std::string& name() const { return file_.name(); }

private:
    bool openBook(book::BookKind kind, const std::string& path, Reading reading, std::string& error);

    InputFile file_;
    InputBytes bytes_;
    std::string_view codes_;
    std::string decoded_;
    std::size_t replaced_ = 0;
    std::string warning_;
    // Pieces from a regular file read twice, or from the bytes held whole.
    std::optional<PlainTextFile> plainText_;
    std::optional<TextFileReader> reader_;
    std::unique_ptr<DecodeAhead> ahead_;
    bool aheadTried_ = false;
    std::string buffer_;  // a regular file's bytes, a buffer at a time
    std::string piece_;
    bool atEnd_ = false;
    std::string readError_;
    int chapterLevel_ = 0;
    std::vector<book::BookPicture> bookPictures_;
    bool bookPiece_ = false;  // a book read in pieces: its codes are the one piece
    bool bookPieceGiven_ = false;
};

}  // namespace tessaline::cli
