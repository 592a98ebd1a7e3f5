// A calculator on port 1 of the link library's virtual cable (the
// emulator's end), answering the PC's packets as a TI-89 / TI-92 Plus /
// Voyage 200 answers a variable being sent to it. It runs as a child process
// (link_fake_calculator): the library keeps the virtual cable's state per
// process, and two ends in one process break each other's close.
#pragma once

#include "formats/calc_text_file.h"

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tessaline::test {

enum class FakeAnswer {
    Accept,
    Silent,               // answers nothing
    Refuse,               // answers a variable's header with SKP
    SilentAfterHeader,    // acknowledges a variable's header, then says nothing
    Drip,                 // sends every byte of its answers one gap after the other
    StopMidVariable,      // reads part of a variable's data, then nothing more
    SlowAcknowledgement,  // waits a gap before acknowledging a variable's data
};

struct FakeOptions {
    int gapMs = 1000;               // of Drip and SlowAcknowledgement
    std::vector<std::string> held;  // "folder\name" of the variables it holds from the start
};

struct StoredVariable {
    std::string path;  // "folder\name" as the header names it
    unsigned type = 0;
    std::uint32_t size = 0;  // as the header gives it
    std::string data;        // as the data packet carries it, without its 4 zero bytes
    bool archived = false;   // the header asked for the archive
};

class FakeCalculator {
public:
    FakeCalculator(Calculator calculator, FakeAnswer answer = FakeAnswer::Accept, FakeOptions options = {});
    ~FakeCalculator();
    FakeCalculator(const FakeCalculator&) = delete;
    FakeCalculator& operator=(const FakeCalculator&) = delete;
    // Opens its end of the cable; false when that fails.
    bool start();
    // Closes its end; then stored() holds every variable it received.
    void stop();
    const std::vector<StoredVariable>& stored() const { return stored_; }

private:
    Calculator calculator_;
    FakeAnswer answer_;
    FakeOptions options_;
    pid_t child_ = -1;
    std::string storeFile_;
    std::vector<StoredVariable> stored_;
};

// The child process's side: serves the cable until SIGTERM, then writes
// what it received to `storeFile`. Says "ready" or "failed" on standard
// output once its end of the cable is open or could not be opened. It lists
// the variables it holds and has received when asked.
int runFakeCalculator(Calculator calculator, FakeAnswer answer, const FakeOptions& options,
                      const std::string& storeFile);

// The command line of the child process and back.
std::vector<std::string> fakeArguments(Calculator calculator, FakeAnswer answer, const FakeOptions& options);
bool readFakeArguments(const std::vector<std::string>& args, Calculator& calculator, FakeAnswer& answer,
                       FakeOptions& options);

// Removes the virtual cable's pipes and shared counter, left by an earlier
// run or an interrupted transfer; the next end to open it makes them anew.
void clearVirtualCable();

// Holds a machine-wide lock on the virtual cable until destroyed, and clears
// it first.
class VirtualCableLock {
public:
    VirtualCableLock();
    ~VirtualCableLock();
    VirtualCableLock(const VirtualCableLock&) = delete;
    VirtualCableLock& operator=(const VirtualCableLock&) = delete;

private:
    int fd_ = -1;
};

}  // namespace tessaline::test
