// Whole-file input and atomic output for tessaline-process.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline::cli {

// The bytes of the input: a regular file is mapped into memory (nothing is
// copied), anything else (a pipe, a terminal) is read into a buffer.
class InputBytes {
public:
    InputBytes() = default;
    InputBytes(const InputBytes&) = delete;
    InputBytes& operator=(const InputBytes&) = delete;
    ~InputBytes() { release(); }

    // Opens `path`, or standard input for "-". Returns false with a one-line
    // message in `error`.
    bool open(const std::string& path, std::string& error);
    std::string_view bytes() const;
    // Gives the memory back; bytes() is empty afterwards.
    void release();

private:
    void* map_ = nullptr;
    std::size_t mapSize_ = 0;
    std::string buffer_;
};

// Standard output ("" as path) or a file written under a temporary name in
// the same folder and renamed into place by commit(); a sink that is neither
// committed nor kept removes its temporary file, so a failed run leaves any
// earlier file of that name as it was.
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
    std::string path_;
    std::string temp_;
    int fd_ = -1;
};

}  // namespace tessaline::cli
