#include "cli/text_input.h"

#include <utility>

namespace tessaline::cli {

namespace {

// A regular file is read this much at a time.
constexpr std::size_t kReadBytes = std::size_t{1} << 20;

}  // namespace

bool TextInput::open(const std::string& path, Reading reading, std::string& error)
{
    if (!file_.open(path, error)) {
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
        if (told && PlainTextFile::startsPlainText(bytes.substr(0, PlainTextFile::kStartBytes))) {
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
    if (reader_) {
        if (!reader_->next(piece_)) {
            warning_ = reader_->warning();
            return false;
        }
        piece = piece_;
        return true;
    }
    // Bytes that end no line give no codes yet: read on.
    while (piece_.empty()) {
        if (atEnd_ || failed()) {
            return false;
        }
        std::string_view bytes;
        if (!file_.read(buffer_, bytes, readError_)) {
            return false;
        }
        if (bytes.empty()) {
            plainText_->finish({}, piece_);
            atEnd_ = true;
        } else {
            plainText_->decode(bytes, piece_);
        }
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
