#include "cli/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaline::cli {

namespace {

std::string describe(const std::string& what, const std::string& path, int error)
{
    return what + " " + path + ": " + std::strerror(error);
}

bool readFd(int fd, std::string& data)
{
    std::size_t used = 0;
    for (;;) {
        if (data.size() - used < (1u << 16)) {
            data.resize(std::max<std::size_t>(data.size() * 2, used + (1u << 20)));
        }
        const ssize_t got = ::read(fd, data.data() + used, data.size() - used);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
    }
    data.resize(used);
    return true;
}

}  // namespace

bool InputBytes::open(const std::string& path, std::string& error)
{
    release();
    const bool standardInput = path == "-";
    const std::string name = standardInput ? std::string("standard input") : path;
    const int fd = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = describe("cannot open", name, errno);
        return false;
    }
    bool ok = true;
    int failure = 0;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ok = false;
        failure = errno;
    } else if (S_ISDIR(st.st_mode)) {
        ok = false;
        failure = EISDIR;
    } else if (S_ISREG(st.st_mode) && st.st_size > 0) {
        int flags = MAP_PRIVATE;
#ifdef MAP_POPULATE
        flags |= MAP_POPULATE;   // fault the pages in at once, not one by one
#endif
        void* map = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, flags, fd, 0);
        if (map != MAP_FAILED) {
            map_ = map;
            mapSize_ = static_cast<std::size_t>(st.st_size);
        }
    }
    if (ok && !map_) {
        ok = readFd(fd, buffer_);
        failure = errno;
    }
    if (!standardInput) {
        ::close(fd);
    }
    if (!ok) {
        release();
        error = describe("cannot read", name, failure);
    }
    return ok;
}

std::string_view InputBytes::bytes() const
{
    if (map_) {
        return {static_cast<const char*>(map_), mapSize_};
    }
    return buffer_;
}

void InputBytes::release()
{
    if (map_) {
        ::munmap(map_, mapSize_);
        map_ = nullptr;
        mapSize_ = 0;
    }
    std::string().swap(buffer_);
}

bool OutputSink::open(const std::string& path, std::string& error)
{
    path_ = path;
    if (path.empty()) {
        fd_ = STDOUT_FILENO;
        return true;
    }
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = folder + "." + name + ".tmp-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error = describe("cannot write", path, errno);
        return false;
    }
    fd_ = fd;
    temp_ = temp;
    // The permissions of the file being replaced, or those a new file gets.
    struct stat st {};
    mode_t mode = 0;
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd_, mode) != 0) {
        error = describe("cannot write", path, errno);
        abandon();
        return false;
    }
    return true;
}

bool OutputSink::write(std::string_view data, std::string& error)
{
    while (!data.empty()) {
        const ssize_t put = ::write(fd_, data.data(), std::min<std::size_t>(data.size(), std::size_t{1} << 30));
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = describe("cannot write", path_.empty() ? std::string("standard output") : path_, errno);
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

bool OutputSink::commit(std::string& error)
{
    if (temp_.empty()) {
        return true;   // standard output
    }
    int failure = 0;
    if (::close(fd_) != 0) {
        failure = errno;
    }
    fd_ = -1;
    if (failure == 0 && ::rename(temp_.c_str(), path_.c_str()) != 0) {
        failure = errno;
    }
    if (failure != 0) {
        error = describe("cannot write", path_, failure);
        abandon();
        return false;
    }
    temp_.clear();
    return true;
}

void OutputSink::abandon()
{
    if (temp_.empty()) {
        return;
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    ::unlink(temp_.c_str());
    temp_.clear();
}

}  // namespace tessaline::cli
