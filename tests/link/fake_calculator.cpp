#include "tests/link/fake_calculator.h"

#include "link/ti_libraries.h"
#include "link/ti_link.h"

#include <dbus_pkt.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <sys/file.h>
#include <sys/ipc.h>
#include <sys/prctl.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tessaline::test {

namespace {

constexpr const char* kLockFile = "/tmp/tessaline-virtual-cable.lock";
// The virtual cable's two pipes and the key of its shared use counter.
constexpr const char* kPipes[] = {"/tmp/.vlc_1_0", "/tmp/.vlc_0_1"};
constexpr const char* kCounterKeyPath = "/tmp";
constexpr int kCounterKeyId = 0x34;
constexpr std::size_t kDataLead = 4;  // zero bytes before a variable's data

volatile std::sig_atomic_t stopRequested = 0;

const char* calculatorArgument(Calculator calculator)
{
    switch (calculator) {
    case Calculator::Ti89:
        return "89";
    case Calculator::Ti92Plus:
        return "92p";
    case Calculator::Voyage200:
        return "v200";
    }
    return "89";
}

const char* answerArgument(FakeAnswer answer)
{
    switch (answer) {
    case FakeAnswer::Accept:
        return "accept";
    case FakeAnswer::Silent:
        return "silent";
    case FakeAnswer::Refuse:
        return "refuse";
    case FakeAnswer::SilentAfterHeader:
        return "silent-after-header";
    }
    return "accept";
}

std::uint32_t le32(const std::uint8_t* bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
}

void writeStored(const std::vector<StoredVariable>& stored, const std::string& storeFile)
{
    std::ofstream out(storeFile, std::ios::binary);
    for (const StoredVariable& variable : stored)
        out << variable.path << '\n'
            << variable.type << ' ' << variable.size << ' ' << variable.data.size() << '\n'
            << variable.data;
}

std::vector<StoredVariable> readStored(const std::string& storeFile)
{
    std::ifstream in(storeFile, std::ios::binary);
    std::vector<StoredVariable> stored;
    StoredVariable variable;
    std::size_t length = 0;
    while (std::getline(in, variable.path) && in >> variable.type >> variable.size >> length && in.get() == '\n') {
        variable.data.resize(length);
        in.read(variable.data.data(), std::streamsize(length));
        stored.push_back(variable);
    }
    return stored;
}

}  // namespace

FakeCalculator::FakeCalculator(Calculator calculator, FakeAnswer answer) : calculator_(calculator), answer_(answer)
{
    char name[] = "/tmp/tessaline-fake-calculator-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd >= 0)
        ::close(fd);
    storeFile_ = name;
}

FakeCalculator::~FakeCalculator()
{
    stop();
    ::unlink(storeFile_.c_str());
}

bool FakeCalculator::start()
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::string program = TESSALINE_FAKE_CALCULATOR_PATH;
    std::string calculator = calculatorArgument(calculator_);
    std::string answer = answerArgument(answer_);
    char* argv[] = {program.data(), calculator.data(), answer.data(), storeFile_.data(), nullptr};
    const int spawned = posix_spawn(&child_, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        child_ = -1;
        ::close(pipeEnds[0]);
        return false;
    }
    char said[8] = {};
    const ssize_t got = ::read(pipeEnds[0], said, sizeof said - 1);
    ::close(pipeEnds[0]);
    if (got <= 0 || std::string(said, std::size_t(got)).rfind("ready", 0) != 0) {
        stop();
        return false;
    }
    return true;
}

void FakeCalculator::stop()
{
    if (child_ <= 0)
        return;
    ::kill(child_, SIGTERM);
    int status = 0;
    ::waitpid(child_, &status, 0);
    child_ = -1;
    stored_ = readStored(storeFile_);
}

int runFakeCalculator(Calculator calculator, FakeAnswer answer, const std::string& storeFile)
{
    std::signal(SIGTERM, [](int) { stopRequested = 1; });
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // no fake outlives a crashed test
    initialiseLinkLibraries();
    const std::uint8_t self = calculator == Calculator::Ti89 ? DBUS_MID_TI89_PC : DBUS_MID_TI92p_PC;
    CableHandle* cable = ticables_handle_new(CABLE_TIE, PORT_1);
    CalcHandle* calc = ticalcs_handle_new(calcModel(calculator));
    const bool attached = cable && calc && ticalcs_cable_attach(calc, cable) == 0;
    std::printf(attached ? "ready\n" : "failed\n");
    std::fflush(stdout);

    std::vector<StoredVariable> stored;
    StoredVariable pending;
    std::vector<std::uint8_t> buffer(65536 + 16);
    bool silent = answer == FakeAnswer::Silent;
    while (attached && !stopRequested) {
        // Alone on the cable, a read gives "success, no data": wait for data.
        CableStatus status = STATUS_NONE;
        if (ticables_cable_check(cable, &status) != 0 || !(status & STATUS_RX)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        std::uint8_t host = 0, command = 0;
        std::uint16_t length = 0;
        if (dbus_recv(calc, &host, &command, &length, buffer.data()) != 0 || silent)
            continue;
        switch (command) {
        case DBUS_CMD_RDY:
        case DBUS_CMD_EOT:
            dbus_send(calc, self, DBUS_CMD_ACK, 0, nullptr);
            break;
        case DBUS_CMD_RTS:
        case DBUS_CMD_VAR: {
            // 4-byte size, type, name length, "folder\name"
            pending = {};
            if (length >= 6) {
                pending.size = le32(buffer.data());
                pending.type = buffer[4];
                const std::size_t nameLength = std::min<std::size_t>(buffer[5], length - 6);
                pending.path.assign(reinterpret_cast<const char*>(buffer.data() + 6), nameLength);
            }
            dbus_send(calc, self, DBUS_CMD_ACK, 0, nullptr);
            if (answer == FakeAnswer::Refuse) {
                std::uint8_t reason[3] = {1, 0, 0};
                dbus_send(calc, self, DBUS_CMD_SKP, 3, reason);
            } else if (answer == FakeAnswer::SilentAfterHeader) {
                silent = true;
            } else {
                dbus_send(calc, self, DBUS_CMD_CTS, 0, nullptr);
            }
            break;
        }
        case DBUS_CMD_XDP:
            if (length >= kDataLead)
                pending.data.assign(reinterpret_cast<const char*>(buffer.data() + kDataLead), length - kDataLead);
            stored.push_back(pending);
            dbus_send(calc, self, DBUS_CMD_ACK, 0, nullptr);
            break;
        default:  // the PC's acknowledgements
            break;
        }
    }

    if (attached)
        ticalcs_cable_detach(calc);
    if (calc)
        ticalcs_handle_del(calc);
    if (cable)
        ticables_handle_del(cable);
    writeStored(stored, storeFile);
    return attached ? 0 : 1;
}

void clearVirtualCable()
{
    for (const char* pipe : kPipes)
        ::unlink(pipe);
    const key_t key = ::ftok(kCounterKeyPath, kCounterKeyId);
    const int counter = key == -1 ? -1 : ::shmget(key, 0, 0);
    if (counter >= 0)
        ::shmctl(counter, IPC_RMID, nullptr);
}

VirtualCableLock::VirtualCableLock()
{
    fd_ = ::open(kLockFile, O_RDWR | O_CREAT, 0666);
    if (fd_ >= 0)
        ::flock(fd_, LOCK_EX);
    clearVirtualCable();
}

VirtualCableLock::~VirtualCableLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

}  // namespace tessaline::test
