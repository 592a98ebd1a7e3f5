#include "tests/link/fake_calculator.h"

#include "link/ti_libraries.h"
#include "link/ti_link.h"

#include <dbus_pkt.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

struct Named {
    FakeAnswer answer;
    const char* name;
};
constexpr Named kAnswers[] = {
    {FakeAnswer::Accept, "accept"},
    {FakeAnswer::Silent, "silent"},
    {FakeAnswer::Refuse, "refuse"},
    {FakeAnswer::SilentAfterHeader, "silent-after-header"},
    {FakeAnswer::Drip, "drip"},
    {FakeAnswer::StopMidVariable, "stop-mid-variable"},
    {FakeAnswer::SlowAcknowledgement, "slow-acknowledgement"},
};

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

std::uint32_t le32(const std::uint8_t* bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
}

void writeStored(const std::vector<StoredVariable>& stored, const std::string& storeFile)
{
    std::ofstream out(storeFile, std::ios::binary);
    for (const StoredVariable& variable : stored)
        out << variable.path << '\n'
            << variable.type << ' ' << variable.size << ' ' << variable.archived << ' ' << variable.data.size() << '\n'
            << variable.data;
}

std::vector<StoredVariable> readStored(const std::string& storeFile)
{
    std::ifstream in(storeFile, std::ios::binary);
    std::vector<StoredVariable> stored;
    StoredVariable variable;
    std::size_t length = 0;
    while (std::getline(in, variable.path) && in >> variable.type >> variable.size >> variable.archived >> length
           && in.get() == '\n') {
        variable.data.resize(length);
        in.read(variable.data.data(), std::streamsize(length));
        stored.push_back(variable);
    }
    return stored;
}

}  // namespace

FakeCalculator::FakeCalculator(Calculator calculator, FakeAnswer answer, FakeOptions options)
    : calculator_(calculator), answer_(answer), options_(std::move(options))
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
    std::vector<std::string> args = fakeArguments(calculator_, answer_, options_);
    args.insert(args.begin(), TESSALINE_FAKE_CALCULATOR_PATH);
    args.push_back(storeFile_);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&child_, args.front().c_str(), &actions, nullptr, argv.data(), environ);
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

std::vector<std::string> fakeArguments(Calculator calculator, FakeAnswer answer, const FakeOptions& options)
{
    std::string held;
    for (const std::string& path : options.held)
        held += (held.empty() ? "" : ",") + path;
    std::string name = "accept";
    for (const Named& named : kAnswers)
        if (named.answer == answer)
            name = named.name;
    return {calculatorArgument(calculator), name, std::to_string(options.gapMs), held.empty() ? "-" : held};
}

bool readFakeArguments(const std::vector<std::string>& args, Calculator& calculator, FakeAnswer& answer,
                       FakeOptions& options)
{
    if (args.size() != 4)
        return false;
    calculator = args[0] == "89" ? Calculator::Ti89 : args[0] == "92p" ? Calculator::Ti92Plus : Calculator::Voyage200;
    const Named* named =
        std::find_if(std::begin(kAnswers), std::end(kAnswers), [&](const Named& n) { return args[1] == n.name; });
    if (named == std::end(kAnswers))
        return false;
    answer = named->answer;
    options.gapMs = std::atoi(args[2].c_str());
    options.held.clear();
    if (args[3] != "-") {
        std::stringstream list(args[3]);
        for (std::string path; std::getline(list, path, ',');)
            options.held.push_back(path);
    }
    return true;
}

namespace {

constexpr std::uint8_t kRequestDirectory = 0x1A;  // a REQ's type when the PC lists folders or variables
constexpr std::uint8_t kFolderList = 0x1F;        // the REQ's top size byte: the folders
constexpr std::uint8_t kFolderType = 0x1F;
constexpr std::uint8_t kArchivedHeaderType = 0x27;  // the header's type when the PC asks for the archive
constexpr std::size_t kEntrySize = 14;

// The calculator's side of the exchange: its answers, as the misbehaviour
// asks, and what it holds.
class Server {
public:
    Server(CableHandle* cable, CalcHandle* calc, Calculator calculator, FakeAnswer answer, const FakeOptions& options)
        : cable_(cable), calc_(calc), answer_(answer), gap_(options.gapMs),
          self_(calculator == Calculator::Ti89 ? DBUS_MID_TI89_PC : DBUS_MID_TI92p_PC),
          entryExtra_(calculator == Calculator::Voyage200 ? 8 : 0), held_(options.held)
    {
        silent_ = answer == FakeAnswer::Silent;
    }

    std::vector<StoredVariable> stored;

    void serve()
    {
        std::vector<std::uint8_t> buffer(65536 + 16);
        while (!stopRequested) {
            // Alone on the cable, a read gives "success, no data": wait for data.
            CableStatus status = STATUS_NONE;
            if (deaf_ || ticables_cable_check(cable_, &status) != 0 || !(status & STATUS_RX)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            if (answer_ == FakeAnswer::StopMidVariable && awaitingData_) {
                // The packet's header and the first half of the data, then nothing.
                std::uint8_t header[4];
                if (ticables_cable_recv(cable_, header, 4) == 0) {
                    const std::uint32_t length = header[2] | header[3] << 8;
                    ticables_cable_recv(cable_, buffer.data(), std::max<std::uint32_t>(length / 2, 1));
                }
                deaf_ = true;
                continue;
            }
            std::uint8_t host = 0, command = 0;
            std::uint16_t length = 0;
            if (dbus_recv(calc_, &host, &command, &length, buffer.data()) != 0 || silent_)
                continue;
            reply(command, buffer.data(), length);
        }
    }

private:
    void reply(std::uint8_t command, const std::uint8_t* data, std::uint16_t length)
    {
        switch (command) {
        case DBUS_CMD_RDY:
        case DBUS_CMD_EOT:
            send(DBUS_CMD_ACK);
            break;
        case DBUS_CMD_REQ:
            // 4-byte size whose top byte says what to list, type, name length, name
            if (length >= 6 && data[4] == kRequestDirectory) {
                const std::size_t nameLength = std::min<std::size_t>(data[5], length - 6);
                listing_ = data[3] == kFolderList
                               ? folderList()
                               : variableList(std::string(reinterpret_cast<const char*>(data + 6), nameLength));
                send(DBUS_CMD_ACK);
                std::vector<std::uint8_t> header = {
                    std::uint8_t(listing_.size()), std::uint8_t(listing_.size() >> 8), 0, 0, kFolderType, 0};
                send(DBUS_CMD_VAR, header);
            }
            break;
        case DBUS_CMD_CTS:  // the PC is ready for the listing
            send(DBUS_CMD_ACK);
            send(DBUS_CMD_XDP, listing_);
            send(DBUS_CMD_EOT);
            break;
        case DBUS_CMD_RTS:
        case DBUS_CMD_VAR: {
            // 4-byte size, type, name length, "folder\name"
            pending_ = {};
            if (length >= 6) {
                pending_.size = le32(data);
                pending_.type = data[4];
                pending_.archived = data[4] == kArchivedHeaderType;
                const std::size_t nameLength = std::min<std::size_t>(data[5], length - 6);
                pending_.path.assign(reinterpret_cast<const char*>(data + 6), nameLength);
            }
            send(DBUS_CMD_ACK);
            if (answer_ == FakeAnswer::Refuse) {
                send(DBUS_CMD_SKP, {1, 0, 0});
            } else if (answer_ == FakeAnswer::SilentAfterHeader) {
                silent_ = true;
            } else {
                send(DBUS_CMD_CTS);
                awaitingData_ = true;
            }
            break;
        }
        case DBUS_CMD_XDP:
            awaitingData_ = false;
            if (length >= kDataLead)
                pending_.data.assign(reinterpret_cast<const char*>(data + kDataLead), length - kDataLead);
            stored.push_back(pending_);
            if (answer_ == FakeAnswer::SlowAcknowledgement)
                pause();
            send(DBUS_CMD_ACK);
            break;
        default:  // the PC's acknowledgements
            break;
        }
    }

    // Every variable it holds: those it started with, then those received.
    std::vector<std::string> paths() const
    {
        std::vector<std::string> all = held_;
        for (const StoredVariable& variable : stored)
            all.push_back(variable.path);
        return all;
    }
    void appendEntry(std::vector<std::uint8_t>& list, const std::string& name, std::uint8_t type) const
    {
        std::uint8_t entry[kEntrySize] = {};
        std::memcpy(entry, name.data(), std::min<std::size_t>(name.size(), 8));
        entry[8] = type;
        list.insert(list.end(), entry, entry + kEntrySize);
        list.insert(list.end(), entryExtra_, 0);
    }
    std::vector<std::uint8_t> folderList() const
    {
        std::vector<std::string> folders = {"main"};
        for (const std::string& path : paths()) {
            const std::string folder = path.substr(0, path.find('\\'));
            if (std::find(folders.begin(), folders.end(), folder) == folders.end())
                folders.push_back(folder);
        }
        std::vector<std::uint8_t> list(kDataLead, 0);
        for (const std::string& folder : folders)
            appendEntry(list, folder, kFolderType);
        return list;
    }
    std::vector<std::uint8_t> variableList(const std::string& folder) const
    {
        std::vector<std::uint8_t> list(kDataLead, 0);
        appendEntry(list, folder, kFolderType);
        for (const std::string& path : paths())
            if (path.substr(0, path.find('\\')) == folder)
                appendEntry(list, path.substr(path.find('\\') + 1), 0x0B);
        return list;
    }

    void pause() const
    {
        for (int waited = 0; waited < gap_ && !stopRequested; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    void send(std::uint8_t command, std::vector<std::uint8_t> data = {})
    {
        if (answer_ != FakeAnswer::Drip) {
            dbus_send(calc_, self_, command, std::uint16_t(data.size()), data.empty() ? nullptr : data.data());
            return;
        }
        std::vector<std::uint8_t> packet = {self_, command, std::uint8_t(data.size()), std::uint8_t(data.size() >> 8)};
        if (!data.empty()) {
            unsigned sum = 0;
            for (const std::uint8_t byte : data)
                sum += byte;
            packet.insert(packet.end(), data.begin(), data.end());
            packet.push_back(std::uint8_t(sum));
            packet.push_back(std::uint8_t(sum >> 8));
        }
        for (std::uint8_t& byte : packet) {
            pause();
            if (stopRequested)
                return;
            ticables_cable_send(cable_, &byte, 1);
        }
    }

    CableHandle* cable_;
    CalcHandle* calc_;
    FakeAnswer answer_;
    int gap_;
    std::uint8_t self_;
    std::size_t entryExtra_;
    std::vector<std::string> held_;
    StoredVariable pending_;
    std::vector<std::uint8_t> listing_;
    bool silent_ = false;
    bool deaf_ = false;
    bool awaitingData_ = false;
};

}  // namespace

int runFakeCalculator(Calculator calculator, FakeAnswer answer, const FakeOptions& options,
                      const std::string& storeFile)
{
    std::signal(SIGTERM, [](int) { stopRequested = 1; });
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // no fake outlives a crashed test
    initialiseLinkLibraries();
    CableHandle* cable = ticables_handle_new(CABLE_TIE, PORT_1);
    CalcHandle* calc = ticalcs_handle_new(calcModel(calculator));
    const bool attached = cable && calc && ticalcs_cable_attach(calc, cable) == 0;
    std::printf(attached ? "ready\n" : "failed\n");
    std::fflush(stdout);

    Server server(cable, calc, calculator, answer, options);
    if (attached)
        server.serve();

    if (attached)
        ticalcs_cable_detach(calc);
    if (calc)
        ticalcs_handle_del(calc);
    if (cable)
        ticables_handle_del(cable);
    writeStored(server.stored, storeFile);
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
