#include "cli/text_input.h"

#include <condition_variable>
#include <csignal>
#include <deque>
#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "formats/book/book_reader.h"
#include "formats/book/zip_archive.h"

namespace tessaline::cli {

namespace {

// A regular file is read this much at a time.
constexpr std::size_t kReadBytes = std::size_t{1} << 20;

// The second reading of a plain text file: reads on through `buffer` until
// the bytes complete a line or end, and appends the codes to `piece`. `end`
// says that the file has ended. False when reading fails, with the message in
// `error`.
bool decodeNextPiece(InputFile& file, PlainTextFile& plainText, std::string& buffer, std::string& piece, bool& end,
                     std::string& error)
{
    while (piece.empty() && !end) {
        std::string_view bytes;
        if (!file.read(buffer, bytes, error)) {
            return false;
        }
        end = bytes.empty();
        if (end) {
            plainText.finish({}, piece);
        } else {
            plainText.decode(bytes, piece);
        }
    }
    return true;
}

}  // namespace

// The second reading of a plain text file, decoded on a thread of its own
// while the pass works on the pieces before: at most kAhead pieces wait, and
// their buffers are used again.
class DecodeAhead {
public:
    DecodeAhead(InputFile& file, PlainTextFile& plainText) : file_(file), plainText_(plainText)
    {
        // Signals go to the main thread, which holds them back while its
        // temporary file changes.
        sigset_t all;
        sigset_t old;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &old);
        try {
            thread_ = std::thread([this] { run(); });
        } catch (...) {
            pthread_sigmask(SIG_SETMASK, &old, nullptr);
            throw;
        }
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
    }
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    ~DecodeAhead()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    // The next piece, readable until the next call; false at the end and
    // when reading failed (with the message in `error`). What the thread
    // threw (running out of memory) is thrown here.
    bool next(std::string_view& piece, std::string& error)
    {
        std::unique_lock lock(mutex_);
        if (!current_.empty()) {
            spare_.push_back(std::move(current_));
            current_.clear();
        }
        changed_.notify_all();
        changed_.wait(lock, [this] { return !ready_.empty() || finished_; });
        if (!ready_.empty()) {
            current_ = std::move(ready_.front());
            ready_.pop_front();
            changed_.notify_all();
            piece = current_;
            return true;
        }
        if (exception_) {
            std::rethrow_exception(exception_);
        }
        error = error_;
        return false;
    }

private:
    static constexpr std::size_t kAhead = 2;

    void run()
    {
        try {
            std::string bytesRead(kReadBytes, '\0');
            for (bool end = false; !end;) {
                std::string piece;
                {
                    std::unique_lock lock(mutex_);
                    changed_.wait(lock, [this] { return stop_ || ready_.size() < kAhead; });
                    if (stop_) {
                        return;
                    }
                    if (!spare_.empty()) {
                        piece = std::move(spare_.back());
                        spare_.pop_back();
                    }
                }
                piece.clear();
                std::string error;
                if (!decodeNextPiece(file_, plainText_, bytesRead, piece, end, error)) {
                    finish(std::move(error), nullptr);
                    return;
                }
                std::lock_guard lock(mutex_);
                if (!piece.empty()) {
                    ready_.push_back(std::move(piece));
                }
                finished_ = end;
                changed_.notify_all();
            }
        } catch (...) {
            finish({}, std::current_exception());
        }
    }

    void finish(std::string error, std::exception_ptr exception)
    {
        std::lock_guard lock(mutex_);
        error_ = std::move(error);
        exception_ = std::move(exception);
        finished_ = true;
        changed_.notify_all();
    }

    InputFile& file_;
    PlainTextFile& plainText_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> ready_;   // decoded pieces, in order
    std::vector<std::string> spare_;  // buffers to use again
    std::string current_;             // the piece last handed out
    bool finished_ = false;           // no piece will be added
    bool stop_ = false;
    std::string error_;
    std::exception_ptr exception_;
    std::thread thread_;  // last: started when everything else is ready
};

TextInput::TextInput() = default;
TextInput::~TextInput() = default;

bool TextInput::open(const std::string& path, Reading reading, std::string& error, std::size_t limit)
{
    if (!file_.open(path, error, limit)) {
        return false;
    }
    if (reading == Reading::Pieces && file_.regular()) {
        buffer_.resize(kReadBytes);
        std::string_view bytes;
        if (!file_.read(buffer_, bytes, error)) {
            return false;
        }
        // Too few bytes to tell (not seen with regular files): read whole.
        const bool told = bytes.size() >= PlainTextFile::kStartBytes || bytes.size() == file_.size();
        const bool book = book::ZipArchive::hasSignature(bytes) || book::bookKind(path, {}) != book::BookKind::None;
        if (told && !book && PlainTextFile::startsPlainText(bytes.substr(0, PlainTextFile::kStartBytes))) {
            plainText_.emplace();
            while (!bytes.empty()) {
                plainText_->check(bytes);
                if (!file_.read(buffer_, bytes, error)) {
                    return false;
                }
            }
        }
        if (!file_.rewind(error)) {
            return false;
        }
        if (plainText_) {
            return true;
        }
        std::string().swap(buffer_);
    }
    if (!bytes_.read(file_, error)) {
        return false;
    }
    file_.close();
    codes_ = bytes_.bytes();
    if (reading != Reading::Raw) {
        if (const book::BookKind kind = book::bookKind(path, codes_); kind != book::BookKind::None) {
            return openBook(kind, path, reading, error);
        }
    }
    if (reading == Reading::Pieces) {
        reader_.emplace(codes_);
    } else if (reading == Reading::Whole) {
        DecodedText decoded = decodeTextFile(codes_);
        bytes_.release();
        codes_ = {};
        if (!decoded.ok) {
            error = file_.name() + ": " + decoded.error;
            return false;
        }
        replaced_ = decoded.replaced;
        warning_ = std::move(decoded.warning);
        decoded_ = std::move(decoded.codes);
        codes_ = decoded_;
        return true;
    }
    if (reader_ && !reader_->ok()) {
        error = file_.name() + ": " + reader_->error();
        return false;
    }
    return true;
}

bool TextInput::openBook(book::BookKind kind, const std::string& path, Reading reading, std::string& error)
{
    // Standard input has no folder beside it to take pictures from.
    std::string folder;
    if (path != "-") {
        const std::filesystem::path parent = std::filesystem::path(path).parent_path();
        std::error_code ignored;  // no working folder: no pictures beside
        folder = (parent.empty() ? std::filesystem::current_path(ignored) : parent).string();
    }
    book::BookOptions options;
    options.chapterLevel = chapterLevel_;
    book::BookText text = book::readBook(kind, codes_, folder, options);
    bytes_.release();
    codes_ = {};
    if (!text.ok) {
        error = file_.name() + ": " + text.error;
        return false;
    }
    replaced_ = text.replaced;
    warning_ = std::move(text.warning);
    decoded_ = std::move(text.codes);
    bookPictures_ = std::move(text.pictures);
    bookPiece_ = reading == Reading::Pieces;
    codes_ = bookPiece_ ? std::string_view() : std::string_view(decoded_);
    return true;
}

std::string TextInput::takeCodes()
{
    std::string codes = decoded_.empty() ? std::string(codes_) : std::move(decoded_);
    bytes_.release();
    std::string().swap(decoded_);
    codes_ = {};
    return codes;
}

bool TextInput::nextPiece(std::string_view& piece)
{
    piece_.clear();
    if (bookPiece_) {
        // The whole book is the one piece; afterwards there is none.
        if (bookPieceGiven_)
            return false;
        bookPieceGiven_ = true;
        piece = decoded_;
        return !decoded_.empty();
    }
    if (reader_) {
        if (!reader_->next(piece_)) {
            warning_ = reader_->warning();
            return false;
        }
        piece = piece_;
        return true;
    }
    if (!aheadTried_) {
        aheadTried_ = true;
        try {
            ahead_ = std::make_unique<DecodeAhead>(file_, *plainText_);
        } catch (const std::system_error&) {
            // No thread to be had: decoded here, between the pass's pieces.
        }
    }
    if (ahead_) {
        return ahead_->next(piece, readError_);
    }
    if (failed() || !decodeNextPiece(file_, *plainText_, buffer_, piece_, atEnd_, readError_) || piece_.empty()) {
        return false;
    }
    piece = piece_;
    return true;
}

std::size_t TextInput::replaced() const
{
    if (reader_) {
        return reader_->replaced();
    }
    return plainText_ ? plainText_->replaced() : replaced_;
}

}  // namespace tessaline::cli
