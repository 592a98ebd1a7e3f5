// Whole-file input and safe output for tessaline-process.
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

// The bytes of the input, read into memory with read(): a file that shrinks
// or grows meanwhile gives the bytes there were, never a fault. The memory is
// mapped from the system, so that it grows without copying and a large input
// lives on large pages (one page fault per 2 MB, not per 4 KB).
class InputBytes {
public:
    InputBytes() = default;
    InputBytes(const InputBytes&) = delete;
    InputBytes& operator=(const InputBytes&) = delete;
    ~InputBytes() { release(); }

    // Opens `path`, or standard input for "-", and reads it whole; more than
    // `limit` bytes are refused. Returns false with a one-line message in
    // `error`; throws std::bad_alloc when memory runs out.
    bool open(const std::string& path, std::string& error, std::size_t limit = kInputLimit);
    // The same from an open file, from where it stands to its end, up to the
    // file's limit.
    bool read(InputFile& file, std::string& error);
    std::string_view bytes() const { return {data_, size_}; }
    // Gives the memory back; bytes() is empty afterwards.
    void release();

private:
    int readAll(int fd, std::size_t expected, std::size_t limit);
    void grow(std::size_t capacity);

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// Where the output goes:
// - "" as path: standard output;
// - a device or FIFO (also through a symbolic link): written in place;
// - otherwise the regular file at the end of any symbolic links, written under
//   a temporary name in its folder and renamed over it by commit(), keeping
//   its mode (without set-user-ID and set-group-ID). A sink that is neither
//   committed nor kept removes its temporary file, so a failed run leaves any
//   earlier file of that name as it was.
// A file the user may not write and a folder are refused by open().
class OutputSink {
public:
    OutputSink() = default;
    OutputSink(const OutputSink&) = delete;
    OutputSink& operator=(const OutputSink&) = delete;
    ~OutputSink() { abandon(); }

    bool open(const std::string& path, std::string& error);
    bool write(std::string_view data, std::string& error);
    bool commit(std::string& error);
    void abandon();

private:
    std::string path_;    // as given, for messages
    std::string target_;  // path_ with its symbolic links followed
    std::string temp_;    // the temporary file, while there is one
    int fd_ = -1;
    bool ownsFd_ = false;  // false for standard output
};

// SIGINT, SIGTERM and SIGHUP remove the temporary file of the sink being
// written, then end the program by the same signal (a shell reports
// 128 + the signal's number). A signal ignored at start stays ignored.
void removeTemporaryFileOnSignals();

}  // namespace tessaline::cli
