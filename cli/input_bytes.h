// The input of tessaline-process read whole into memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "cli/input_file.h"

namespace tessaline::cli {

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

}  // namespace tessaline::cli
