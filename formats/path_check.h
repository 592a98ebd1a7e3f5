// The checks made on a path before a document is read from it or written to
// it, the same for the windows and the batch tool; each words the problems
// its own way.
#pragma once

#include <cstdint>
#include <string>

namespace tessaline {

enum class PathProblem {
    None,
    NoName,         // the path is empty
    Missing,        // reading: nothing is there
    Folder,         // a folder, not a file
    SpecialFile,    // a device, a FIFO or a socket, where these are refused
    TooLarge,       // reading: more bytes than the limit
    FolderMissing,  // writing: the folder the file would go in does not exist
    ReadOnly,       // writing: the file is read-only
    System,         // the system refuses; `error` says why
};

struct PathCheck {
    PathProblem problem = PathProblem::None;
    int error = 0;             // the errno value of PathProblem::System
    bool specialFile = false;  // a device, a FIFO or a socket (where allowed)
    std::uint64_t size = 0;    // the bytes of a regular file
    bool exists() const;
};

// Whether devices, FIFOs and sockets are taken like files: a batch tool
// reads and writes them in place, a window refuses them (a pipe without a
// writer or reader would block it).
enum class SpecialFiles { Refused, Allowed };

// Before reading `path` (symbolic links followed): something must be there,
// not a folder, a special file only where allowed, and a regular file of at
// most `limit` bytes.
PathCheck checkBeforeReading(const std::string& path, std::uint64_t limit, SpecialFiles specials);
// The same for a file already open (standard input, say), which is there.
PathCheck checkBeforeReading(int fd, std::uint64_t limit, SpecialFiles specials);

// Before writing `path`, replacing what is there (symbolic links followed):
// not a folder (nor a name ending with a slash), a special file only where
// allowed, an existing regular file only when the user may replace it, and
// a new file only in a folder that exists. A file marked read-only for its
// owner is refused for root too, who the system would let write it.
PathCheck checkBeforeWriting(const std::string& path, SpecialFiles specials);

}  // namespace tessaline
