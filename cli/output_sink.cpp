#include "cli/output_sink.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/messages.h"
#include "formats/path_check.h"

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

bool OutputSink::open(const std::string& path, std::string& error)
{
    abandon();
    path_ = path;
    if (path.empty()) {
        fd_ = STDOUT_FILENO;
        return true;
    }
    const PathCheck check = checkBeforeWriting(path, SpecialFiles::Allowed);
    switch (check.problem) {
    case PathProblem::None:
        break;
    case PathProblem::Folder:
        error = "cannot write " + path + ": it is a folder";
        return false;
    case PathProblem::ReadOnly:
        error = "cannot write " + path + ": the file is read-only";
        return false;
    default:
        error = failureMessage("cannot write", path, check.error);
        return false;
    }
    if (check.specialFile) {
        // A device or FIFO takes the text itself: renaming a file over it
        // would put a regular file in its place. Opened by the name given,
        // the kernel also follows links such as /dev/stdout to a pipe.
        const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            error = failureMessage("cannot write", path, errno);
            return false;
        }
        fd_ = fd;
        ownsFd_ = true;
        return true;
    }
    if (const int failure = followLinks(path, target_)) {
        error = failureMessage("cannot write", path, failure);
        return false;
    }
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        error = "cannot write " + path + ": it is not a regular file";
        return false;
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
        error = failureMessage("cannot write", path, errno);
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
        error = failureMessage("cannot write", path, errno);
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
            error = failureMessage("cannot write", path_.empty() ? std::string("standard output") : path_, errno);
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
            error = failureMessage("cannot write", path_, errno);
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
        error = failureMessage("cannot write", path_, failure);
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
