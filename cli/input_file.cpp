#include "cli/input_file.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "cli/messages.h"
#include "formats/path_check.h"

namespace tessaline::cli {

bool InputFile::open(const std::string& path, std::string& error, std::size_t limit)
{
    close();
    const bool standardInput = path == "-";
    name_ = standardInput ? std::string("standard input") : path;
    limit_ = limit;
    read_ = 0;
    const int fd = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = failureMessage("cannot open", name_, errno);
        return false;
    }
    fd_ = fd;
    const PathCheck check = checkBeforeReading(fd, limit, SpecialFiles::Allowed);
    // Standard input is not read again: its start may be behind it.
    const bool regular =
        (check.problem == PathProblem::None || check.problem == PathProblem::TooLarge) && !check.specialFile;
    regular_ = regular && !standardInput;
    size_ = regular ? static_cast<std::size_t>(check.size) : 0;
    switch (check.problem) {
    case PathProblem::None:
        return true;
    case PathProblem::TooLarge:
        error = tooLargeMessage(name_, limit);
        break;
    case PathProblem::Folder:
        error = failureMessage("cannot read", name_, EISDIR);
        break;
    default:
        error = failureMessage("cannot read", name_, check.error);
        break;
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
            error = failureMessage("cannot read", name_, errno);
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
        error = failureMessage("cannot read", name_, errno);
        return false;
    }
    read_ = 0;
    return true;
}

}  // namespace tessaline::cli
