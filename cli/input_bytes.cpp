#include "cli/input_bytes.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include <sys/mman.h>
#include <unistd.h>

#include "cli/messages.h"

namespace tessaline::cli {

namespace {

constexpr int kTooLarge = -1;  // a failure of readAll beyond errno's values

}  // namespace

// Reads `fd` to its end, starting with room for `expected` bytes. Returns 0,
// an errno value, or kTooLarge past `limit`.
int InputBytes::readAll(int fd, std::size_t expected, std::size_t limit)
{
    constexpr std::size_t kLeast = std::size_t{1} << 16;
    grow(std::min(std::max(expected + 1, kLeast), limit + 1));
    for (;;) {
        if (size_ == capacity_) {
            if (size_ > limit) {
                return kTooLarge;
            }
            grow(std::min(capacity_ * 2, limit + 1));
        }
        const ssize_t got = ::read(fd, data_ + size_, capacity_ - size_);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (got == 0) {
            return 0;
        }
        size_ += static_cast<std::size_t>(got);
    }
}

void InputBytes::grow(std::size_t capacity)
{
    void* at = capacity_ == 0 ? ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                              : ::mremap(data_, capacity_, capacity, MREMAP_MAYMOVE);
    if (at == MAP_FAILED) {
        throw std::bad_alloc();
    }
    data_ = static_cast<char*>(at);
    capacity_ = capacity;
#if defined(MADV_HUGEPAGE)
    constexpr std::size_t kLargePage = std::size_t{1} << 21;
    if (capacity >= 16 * kLargePage) {
        ::madvise(data_, capacity_, MADV_HUGEPAGE);  // a hint: failure changes nothing
    }
#endif
}

bool InputBytes::open(const std::string& path, std::string& error, std::size_t limit)
{
    release();
    InputFile file;
    return file.open(path, error, limit) && read(file, error);
}

bool InputBytes::read(InputFile& file, std::string& error)
{
    release();
    int failure = 0;
    try {
        failure = readAll(file.fd(), file.size(), file.limit());
    } catch (const std::bad_alloc&) {
        release();
        throw;
    }
    if (failure == kTooLarge) {
        error = tooLargeMessage(file.name(), file.limit());
    } else if (failure != 0) {
        error = failureMessage("cannot read", file.name(), failure);
    }
    if (failure != 0) {
        release();
        return false;
    }
    return true;
}

void InputBytes::release()
{
    if (data_) {
        ::munmap(data_, capacity_);
    }
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
}

}  // namespace tessaline::cli
