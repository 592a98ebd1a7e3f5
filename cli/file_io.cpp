#include "cli/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaline::cli {

namespace {

std::string describe(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

bool readFd(int fd, std::string& data)
{
    std::size_t used = data.size();
    for (;;) {
        if (data.size() - used < (1u << 16)) {
            // Fill the capacity reserved for a file of known size first, then
            // grow geometrically.
            std::size_t want = used + (1u << 20);
            if (data.capacity() >= used + (1u << 16) + 1) {
                want = std::max(want, data.capacity());
            } else {
                want = std::max(want, data.size() * 2);
            }
            data.resize(want);
        }
        ssize_t got = ::read(fd, data.data() + used, data.size() - used);
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

bool writeFd(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t put = ::write(fd, data.data(), std::min<std::size_t>(data.size(), 1u << 30));
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

}  // namespace

bool readAll(const std::string& path, std::string& data, std::string& error)
{
    data.clear();
    if (path == "-") {
        if (!readFd(STDIN_FILENO, data)) {
            error = describe("cannot read", "standard input");
            return false;
        }
        return true;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = describe("cannot open", path);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        error = describe("cannot read", path);
        return false;
    }
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // Sized for the whole file plus room to notice its end in one read.
        data.reserve(static_cast<std::size_t>(st.st_size) + (1u << 16) + 1);
    }
    const bool ok = readFd(fd, data);
    const int readErrno = errno;
    ::close(fd);
    if (!ok) {
        errno = readErrno;
        error = describe("cannot read", path);
        return false;
    }
    return true;
}

bool writeAll(const std::string& path, std::string_view data, std::string& error)
{
    if (path.empty()) {
        if (!writeFd(STDOUT_FILENO, data)) {
            error = describe("cannot write", "standard output");
            return false;
        }
        return true;
    }

    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = folder + "." + name + ".tmp-XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error = describe("cannot write", path);
        return false;
    }
    // The permissions a newly created file would get, or those of the file
    // being replaced.
    struct stat st {};
    mode_t mode = 0;
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = ::fchmod(fd, mode) == 0 && writeFd(fd, data);
    int failure = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        errno = failure;
        error = describe("cannot write", path);
        return false;
    }
    return true;
}

}  // namespace tessaline::cli
