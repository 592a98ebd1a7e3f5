#include "formats/path_check.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaline {

namespace {

PathCheck problem(PathProblem what, int error = 0)
{
    PathCheck check;
    check.problem = what;
    check.error = error;
    return check;
}

// What fstat or stat found, checked for reading.
PathCheck readable(const struct stat& st, std::uint64_t limit, SpecialFiles specials)
{
    if (S_ISDIR(st.st_mode))
        return problem(PathProblem::Folder);
    PathCheck check;
    if (!S_ISREG(st.st_mode)) {
        if (specials == SpecialFiles::Refused)
            return problem(PathProblem::SpecialFile);
        check.specialFile = true;
        return check;
    }
    check.size = static_cast<std::uint64_t>(st.st_size);
    if (check.size > limit)
        check.problem = PathProblem::TooLarge;
    return check;
}

// The folder part of `path` ("." for a bare name).
std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool PathCheck::exists() const { return problem != PathProblem::Missing && problem != PathProblem::FolderMissing; }

PathCheck checkBeforeReading(const std::string& path, std::uint64_t limit, SpecialFiles specials)
{
    if (path.empty())
        return problem(PathProblem::NoName);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? problem(PathProblem::Missing, errno)
                                                   : problem(PathProblem::System, errno);
    return readable(st, limit, specials);
}

PathCheck checkBeforeReading(int fd, std::uint64_t limit, SpecialFiles specials)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return problem(PathProblem::System, errno);
    return readable(st, limit, specials);
}

PathCheck checkBeforeWriting(const std::string& path, SpecialFiles specials)
{
    if (path.empty())
        return problem(PathProblem::NoName);
    if (path.back() == '/')
        return problem(PathProblem::Folder);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return problem(PathProblem::System, errno);
        struct stat folder {};
        if (::stat(folderOf(path).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
            return problem(PathProblem::FolderMissing, ENOENT);
        return {};  // a new file
    }
    if (S_ISDIR(st.st_mode))
        return problem(PathProblem::Folder);
    PathCheck check;
    if (!S_ISREG(st.st_mode)) {
        if (specials == SpecialFiles::Refused)
            return problem(PathProblem::SpecialFile);
        check.specialFile = true;
        return check;
    }
    check.size = static_cast<std::uint64_t>(st.st_size);
    // The kernel lets root write any file, so for root the owner's write bit
    // decides: a file marked read-only for its owner is left alone, as it is
    // for everyone else. Other users ask the kernel, which also knows access
    // control lists and read-only mounts. (Replacing goes through the
    // folder, which by itself would let anyone with a writable folder
    // replace a file they may not write.)
    const bool root = ::geteuid() == 0;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || (root && (st.st_mode & S_IWUSR) == 0))
        return problem(PathProblem::ReadOnly);
    if (!root && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return problem(PathProblem::System, errno);
    return check;
}

}  // namespace tessaline
