// The input of tessaline-process, opened and read a buffer at a time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline::cli {

// The largest input read: an endless or huge input stops here with a message
// instead of taking all the memory there is.
constexpr std::size_t kInputLimit = std::size_t{1} << 30;

// The input named on the command line, opened: standard input for "-". A
// folder and a regular file over the limit are refused.
class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile() { close(); }

    // Returns false with a one-line message in `error`.
    bool open(const std::string& path, std::string& error, std::size_t limit = kInputLimit);
    void close();

    int fd() const { return fd_; }
    // "standard input" or the path, for messages.
    const std::string& name() const { return name_; }
    // A regular file named by its path, which can be read again from its start.
    bool regular() const { return regular_; }
    // The size of a regular file when it was opened; 0 for others.
    std::size_t size() const { return size_; }
    std::size_t limit() const { return limit_; }

    // The next bytes, at most buffer.size() of them, read into `buffer`;
    // `bytes` views them and is empty at the end. Returns false with a
    // message in `error` when reading fails or the file has grown past the
    // limit.
    bool read(std::string& buffer, std::string_view& bytes, std::string& error);
    // Starts again from the first byte of a regular file.
    bool rewind(std::string& error);

private:
    int fd_ = -1;
    std::string name_;
    bool regular_ = false;
    std::size_t size_ = 0;
    std::size_t limit_ = 0;
    std::size_t read_ = 0;  // bytes read since the start
};

}  // namespace tessaline::cli
