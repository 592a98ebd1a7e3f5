// A file-size limit for the running test: writes past the limit fail with
// EFBIG the way writes to a full disk fail with ENOSPC, without root and
// without a small file system. SIGXFSZ is ignored while the limit holds, so
// the failing write returns an error instead of ending the process. The
// limit and the signal's handler are restored when the object goes.
#pragma once

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <sys/resource.h>

namespace tessaline::testing {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &oldAction_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        sigaction(SIGXFSZ, &oldAction_, nullptr);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return active_; }

    // What the system says when a write passes the limit.
    static std::string reason() { return std::strerror(EFBIG); }

private:
    rlimit old_{};
    struct sigaction oldAction_ {};
    bool active_ = false;
};

}  // namespace tessaline::testing
