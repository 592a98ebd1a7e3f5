// tessaline-process --send to an emulated TI-89: TiEmu with the free PedroM
// system on the link library's virtual cable. TESSALINE_EMULATOR names a
// program that starts it and says "ready" on its standard output once the
// calculator answers (the emulator on port 1, the PC on port 2); without it
// the tests are skipped. The variables are read back with the link library
// and compared byte for byte.
#include "link/calculator_link.h"
#include "link/ti_libraries.h"
#include "link/ti_link.h"
#include "tests/link/fake_calculator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tessaline::test {
namespace {

constexpr int kReadyWithinMs = 90000;

// The emulator, running while the object lives.
class Emulator {
public:
    explicit Emulator(const std::string& program)
    {
        int ends[2];
        if (::pipe(ends) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, ends[0]);
        std::string path = program;
        char* argv[] = {path.data(), nullptr};
        if (posix_spawn(&child_, path.c_str(), &actions, nullptr, argv, environ) != 0)
            child_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(ends[1]);
        std::string said;
        pollfd out{ends[0], POLLIN, 0};
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyWithinMs);
        while (child_ > 0 && said.find("ready") == std::string::npos && std::chrono::steady_clock::now() < until) {
            if (::poll(&out, 1, 500) <= 0)
                continue;
            char buffer[256];
            const ssize_t got = ::read(ends[0], buffer, sizeof buffer);
            if (got <= 0)
                break;
            said.append(buffer, std::size_t(got));
        }
        ::close(ends[0]);
        ready_ = said.find("ready") != std::string::npos;
    }
    ~Emulator()
    {
        if (child_ <= 0)
            return;
        ::kill(child_, SIGTERM);
        int status = 0;
        ::waitpid(child_, &status, 0);
    }
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;
    bool ready() const { return ready_; }

private:
    pid_t child_ = -1;
    bool ready_ = false;
};

// The variable's data as the calculator holds it, read back over the cable.
std::string receive(const std::string& folder, const std::string& name)
{
    initialiseLinkLibraries();
    CableHandle* cable = ticables_handle_new(CABLE_TIE, PORT_2);
    CalcHandle* calc = ticalcs_handle_new(CALC_TI89);
    std::string data = "(not received)";
    if (cable && calc && ticalcs_cable_attach(calc, cable) == 0) {
        ticables_options_set_timeout(cable, kDefaultTimeoutTenths);
        FileContent* content = tifiles_content_create_regular(CALC_TI89);
        VarRequest request{};
        std::snprintf(request.folder, sizeof request.folder, "%s", folder.c_str());
        std::snprintf(request.name, sizeof request.name, "%s", name.c_str());
        request.type = 0x0B;
        const int error = ticalcs_calc_recv_var(calc, MODE_NORMAL, content, &request);
        if (error == 0 && content->num_entries == 1)
            data.assign(reinterpret_cast<const char*>(content->entries[0]->data), content->entries[0]->size);
        else
            data = "(error " + std::to_string(error) + ")";
        tifiles_content_delete_regular(content);
        ticalcs_cable_detach(calc);
    }
    if (calc)
        ticalcs_handle_del(calc);
    if (cable)
        ticables_handle_del(cable);
    return data;
}

class EmulatorSend : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* program = std::getenv("TESSALINE_EMULATOR");
        if (!program || !*program || ::access(program, X_OK) != 0)
            GTEST_SKIP() << "no emulator: TESSALINE_EMULATOR names no program that starts TiEmu";
        // One user of the virtual cable on the machine at a time.
        cableLock_ = ::open("/tmp/tessaline-cable.lock", O_RDWR | O_CREAT, 0666);
        if (cableLock_ >= 0)
            ::flock(cableLock_, LOCK_EX);
        lock_ = std::make_unique<VirtualCableLock>();
        emulator_ = std::make_unique<Emulator>(program);
        if (!emulator_->ready())
            GTEST_SKIP() << "the emulator did not start: " << program;
    }
    void TearDown() override
    {
        emulator_.reset();
        lock_.reset();
        if (cableLock_ >= 0)
            ::close(cableLock_);
    }

    // Sends `text` (calculator codes, kept as they are) as `name`; the exit
    // status and the last line said.
    std::pair<int, std::string> sendText(const std::string& text, const std::string& name)
    {
        char pattern[] = "/tmp/tessaline-emulator-XXXXXX";
        const int fd = ::mkstemp(pattern);
        if (fd >= 0)
            ::close(fd);
        {
            std::ofstream out(pattern, std::ios::binary);
            out << text;
        }
        const std::string err = std::string(pattern) + ".err";
        const std::string command = std::string("'") + TESSALINE_PROCESS_PATH + "' --raw --preset 4 --custom 250"
                                    + " --send --cable TiEmu --port 2 --name " + name + " '" + pattern + "' 2> '" + err
                                    + "'";
        const int raw = std::system(command.c_str());
        std::ifstream in(err);
        std::string line, last;
        while (std::getline(in, line))
            last = line;
        ::unlink(pattern);
        ::unlink(err.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, last};
    }

    int cableLock_ = -1;
    std::unique_ptr<VirtualCableLock> lock_;
    std::unique_ptr<Emulator> emulator_;
};

// Lines short enough that the 250-character length never breaks them.
std::string shortLines(std::size_t bytes)
{
    std::string text;
    for (std::size_t i = 0; text.size() < bytes; ++i)
        text += "Line " + std::to_string(i) + " of the story.\r\n";
    text.resize(bytes - 2);
    return text + "\r\n";
}

TEST_F(EmulatorSend, TheLargestVariableArrivesByteIdentical)
{
    // The longest text one variable holds: one byte more makes two.
    SendRequest request;
    request.name = "big";
    SendPlan plan;
    for (std::size_t bytes = kMaxVariableText + 4; bytes > kMaxVariableText - 4; --bytes) {
        request.codes = shortLines(bytes);
        plan = planSend(request);
        if (plan.ok && plan.variables.size() == 1)
            break;
    }
    ASSERT_TRUE(plan.ok) << plan.error;
    ASSERT_EQ(plan.variables.size(), 1u);
    request.codes += "x";
    EXPECT_EQ(planSend(request).variables.size(), 2u);
    request.codes.pop_back();
    const auto [status, said] = sendText(request.codes, "big");
    EXPECT_EQ(status, 0) << said;
    EXPECT_TRUE(receive("main", "big") == plan.variables[0].data) << "the variable differs";
}

TEST_F(EmulatorSend, ASplitTextArrivesByteIdentical)
{
    SendRequest request;
    request.codes = shortLines(150000);
    request.name = "saga";
    const SendPlan plan = planSend(request);
    ASSERT_TRUE(plan.ok) << plan.error;
    ASSERT_EQ(plan.variables.size(), 3u);
    const auto [status, said] = sendText(request.codes, "saga");
    EXPECT_EQ(status, 0) << said;
    for (const LinkVariable& variable : plan.variables)
        EXPECT_TRUE(receive("main", variable.name) == variable.data) << variable.name << " differs";
}

}  // namespace
}  // namespace tessaline::test
