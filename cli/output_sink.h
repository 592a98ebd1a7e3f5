// Where tessaline-process writes its output, safely.
#pragma once

#include <string>
#include <string_view>

namespace tessaline::cli {

// Where the output goes:
// - "" as path: standard output;
// - a device or FIFO (also through a symbolic link): written in place;
// - otherwise the regular file at the end of any symbolic links, written under
//   a temporary name in its folder and renamed over it by commit(), keeping
//   its mode (without set-user-ID and set-group-ID). A sink that is neither
//   committed nor kept removes its temporary file, so a failed run leaves any
//   earlier file of that name as it was.
// A file the user may not write and a folder are refused by open().
class OutputSink {
public:
    OutputSink() = default;
    OutputSink(const OutputSink&) = delete;
    OutputSink& operator=(const OutputSink&) = delete;
    ~OutputSink() { abandon(); }

    bool open(const std::string& path, std::string& error);
    bool write(std::string_view data, std::string& error);
    bool commit(std::string& error);
    void abandon();

private:
    std::string path_;    // as given, for messages
    std::string target_;  // path_ with its symbolic links followed
    std::string temp_;    // the temporary file, while there is one
    int fd_ = -1;
    bool ownsFd_ = false;  // false for standard output
};

// SIGINT, SIGTERM and SIGHUP remove the temporary file of the sink being
// written, then end the program by the same signal (a shell reports
// 128 + the signal's number). A signal ignored at start stays ignored.
void removeTemporaryFileOnSignals();

}  // namespace tessaline::cli
