#include "cli/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <new>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaline::cli {

namespace {

// The one temporary file being written, for the signal handler. A lock-free
// atomic is safe to read there.
std::atomic<const char*> pendingTemporary{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

void removePendingTemporary(int signal)
{
    if (const char* temp = pendingTemporary.load()) {
        ::unlink(temp);
    }
    // SA_RESETHAND has put the default action back: the signal ends the
    // program, at the latest when this handler returns.
    ::raise(signal);
}

sigset_t cleanupSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kCleanupSignals) {
        sigaddset(&set, signal);
    }
    return set;
}

// Holds the cleanup signals back while a temporary file and the record of it
// change together, so that the handler never sees one without the other.
class SignalsHeld {
public:
    SignalsHeld()
    {
        const sigset_t set = cleanupSignalSet();
        ::sigprocmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &old_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t old_;
};

std::string describe(const std::string& what, const std::string& path, int error)
{
    return what + " " + path + ": " + std::strerror(error);
}

constexpr int kTooLarge = -1;  // a failure of readAll beyond errno's values

// "1 GiB", "64 MiB" or "1000 bytes".
std::string sizeText(std::size_t bytes)
{
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    if (bytes >= kMiB * 1024 && bytes % (kMiB * 1024) == 0) {
        return std::to_string(bytes / (kMiB * 1024)) + " GiB";
    }
    if (bytes >= kMiB && bytes % kMiB == 0) {
        return std::to_string(bytes / kMiB) + " MiB";
    }
    return std::to_string(bytes) + " bytes";
}

std::string tooLargeMessage(const std::string& name, std::size_t limit)
{
    return "cannot read " + name + ": it is larger than " + sizeText(limit) + ", the most this program reads";
}

// The folder part of `path` with its slash ("" for a bare name) and the name.
std::pair<std::string, std::string> splitPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {"", path};
    }
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// Follows `path` while it names a symbolic link, as opening it would; a link
// to nothing gives the path it points to. Returns 0 or an errno value.
int followLinks(const std::string& path, std::string& resolved)
{
    constexpr int kMostLinks = 40;  // as the kernel allows in one path
    resolved = path;
    for (int hop = 0; hop < kMostLinks; ++hop) {
        struct stat st {};
        if (::lstat(resolved.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return 0;  // not a link; whatever else is wrong, opening it says
        }
        std::string target(std::max<std::size_t>(static_cast<std::size_t>(st.st_size) + 1, 256), '\0');
        for (;;) {
            const ssize_t got = ::readlink(resolved.c_str(), target.data(), target.size());
            if (got < 0) {
                return errno;
            }
            if (static_cast<std::size_t>(got) < target.size()) {
                target.resize(static_cast<std::size_t>(got));
                break;
            }
            target.resize(target.size() * 2);
        }
        resolved = !target.empty() && target.front() == '/' ? target : splitPath(resolved).first + target;
    }
    return ELOOP;
}

// Why the user may not replace the existing regular file `st` at `path`, or
// "" when they may. The kernel lets root write any file, so for root the
// owner's write bit decides: a file marked read-only for its owner is left
// alone, as it is for everyone else. Other users ask the kernel, which also
// knows access control lists and read-only mounts. (Replacing goes through
// the folder, which by itself would let anyone with a writable folder replace
// a file they may not write.)
std::string refusalToReplace(const std::string& path, const struct stat& st)
{
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || (::geteuid() == 0 && (st.st_mode & S_IWUSR) == 0)) {
        return "the file is read-only";
    }
    if (::geteuid() != 0 && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        return std::strerror(errno);
    }
    return {};
}

// A temporary file's name beside `target`: ".NAME.tmp-XXXXXX", with NAME cut
// (at a character boundary) so that the whole stays a legal file name.
std::string temporaryNameFor(const std::string& target)
{
    static constexpr char kTail[] = ".tmp-XXXXXX";
    const auto [folder, name] = splitPath(target);
    std::size_t keep = std::min(name.size(), std::size_t{NAME_MAX} - 1 - (sizeof kTail - 1));
    while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) {
        --keep;  // not inside a UTF-8 sequence
    }
    return folder + "." + name.substr(0, keep) + kTail;
}

// Makes a rename in the folder of `target` last through a crash. File systems
// that cannot sync a folder say so with an error that changes nothing here.
void syncFolderOf(const std::string& target)
{
    const std::string folder = splitPath(target).first;
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

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

bool InputFile::open(const std::string& path, std::string& error, std::size_t limit)
{
    close();
    const bool standardInput = path == "-";
    name_ = standardInput ? std::string("standard input") : path;
    limit_ = limit;
    read_ = 0;
    const int fd = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = describe("cannot open", name_, errno);
        return false;
    }
    fd_ = fd;
    int failure = 0;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        failure = errno;
    } else if (S_ISDIR(st.st_mode)) {
        failure = EISDIR;
    }
    // Standard input is not read again: its start may be behind it.
    const bool regular = failure == 0 && S_ISREG(st.st_mode);
    regular_ = regular && !standardInput;
    size_ = regular ? static_cast<std::size_t>(st.st_size) : 0;
    if (failure != 0) {
        error = describe("cannot read", name_, failure);
    } else if (size_ > limit) {
        error = tooLargeMessage(name_, limit);
    } else {
        return true;
    }
    close();
    return false;
}

void InputFile::close()
{
    if (fd_ >= 0 && fd_ != STDIN_FILENO) {
        ::close(fd_);
    }
    fd_ = -1;
}

bool InputFile::read(std::string& buffer, std::string_view& bytes, std::string& error)
{
    for (;;) {
        const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = describe("cannot read", name_, errno);
            return false;
        }
        read_ += static_cast<std::size_t>(got);
        if (read_ > limit_) {
            error = tooLargeMessage(name_, limit_);
            return false;
        }
        bytes = std::string_view(buffer.data(), static_cast<std::size_t>(got));
        return true;
    }
}

bool InputFile::rewind(std::string& error)
{
    if (::lseek(fd_, 0, SEEK_SET) != 0) {
        error = describe("cannot read", name_, errno);
        return false;
    }
    read_ = 0;
    return true;
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
        error = describe("cannot read", file.name(), failure);
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

bool OutputSink::open(const std::string& path, std::string& error)
{
    abandon();
    path_ = path;
    if (path.empty()) {
        fd_ = STDOUT_FILENO;
        return true;
    }
    const std::string folderMessage = "cannot write " + path + ": it is a folder";
    if (path.back() == '/') {
        error = folderMessage;
        return false;
    }
    struct stat st {};
    bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        error = folderMessage;
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        // A device or FIFO takes the text itself: renaming a file over it
        // would put a regular file in its place. Opened by the name given,
        // the kernel also follows links such as /dev/stdout to a pipe.
        const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            error = describe("cannot write", path, errno);
            return false;
        }
        fd_ = fd;
        ownsFd_ = true;
        return true;
    }
    if (const int failure = followLinks(path, target_)) {
        error = describe("cannot write", path, failure);
        return false;
    }
    exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        error = "cannot write " + path + ": it is not a regular file";
        return false;
    }
    if (exists) {
        const std::string refusal = refusalToReplace(target_, st);
        if (!refusal.empty()) {
            error = "cannot write " + path + ": " + refusal;
            return false;
        }
    }

    std::string temp = temporaryNameFor(target_);
    int fd = -1;
    {
        SignalsHeld held;
        fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (fd >= 0) {
            temp_ = std::move(temp);
            pendingTemporary.store(temp_.c_str());
        }
    }
    if (fd < 0) {
        error = describe("cannot write", path, errno);
        return false;
    }
    fd_ = fd;
    ownsFd_ = true;
    // The owner, group and mode of the file being replaced (set-user-ID and
    // set-group-ID dropped), or the mode a new file gets.
    mode_t mode = 0;
    if (exists) {
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
            if (::fchown(fd_, st.st_uid, st.st_gid) != 0) {
                // Only root may give a file away; the file is the user's then.
            }
        }
        mode = st.st_mode & 01777;
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
    if (temp_.empty()) {  // standard output, a device or a FIFO
        if (!ownsFd_ || fd_ < 0) {
            return true;
        }
        const int fd = fd_;
        fd_ = -1;
        ownsFd_ = false;
        if (::close(fd) != 0) {
            error = describe("cannot write", path_, errno);
            return false;
        }
        return true;
    }
    int failure = 0;
    if (::fsync(fd_) != 0) {
        failure = errno;
    }
    if (::close(fd_) != 0 && failure == 0) {
        failure = errno;
    }
    fd_ = -1;
    ownsFd_ = false;
    if (failure == 0) {
        // Whatever took the name meanwhile, only a regular file is replaced.
        struct stat st {};
        if (::lstat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
            error = "cannot write " + path_ + ": it is not a regular file";
            abandon();
            return false;
        }
        SignalsHeld held;
        if (::rename(temp_.c_str(), target_.c_str()) != 0) {
            failure = errno;
        } else {
            pendingTemporary.store(nullptr);
            temp_.clear();
        }
    }
    if (failure != 0) {
        error = describe("cannot write", path_, failure);
        abandon();
        return false;
    }
    syncFolderOf(target_);
    return true;
}

void OutputSink::abandon()
{
    if (fd_ >= 0 && ownsFd_) {
        ::close(fd_);
    }
    fd_ = -1;
    ownsFd_ = false;
    if (!temp_.empty()) {
        SignalsHeld held;
        ::unlink(temp_.c_str());
        pendingTemporary.store(nullptr);
        temp_.clear();
    }
}

void removeTemporaryFileOnSignals()
{
    struct sigaction action {};
    action.sa_handler = removePendingTemporary;
    action.sa_mask = cleanupSignalSet();
    action.sa_flags = SA_RESETHAND;
    for (int signal : kCleanupSignals) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) {
            continue;  // as nohup and background jobs ask
        }
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace tessaline::cli
