// A file-size limit for the running test: writes past the limit fail with
// EFBIG the way writes to a full disk fail with ENOSPC, without root and
// without a small file system. The signal SIGXFSZ such a write raises is left
// as the program set it (ignoreFileSizeSignal(), which the tests' main calls
// as the program's does): a program that did not ignore it ends there. The
// limit is restored when the object goes.
#pragma once

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/resource.h>

namespace tessaline::testing {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return active_; }

    // What the system says when a write passes the limit.
    static std::string reason() { return std::strerror(EFBIG); }

private:
    rlimit old_{};
    bool active_ = false;
};

}  // namespace tessaline::testing
