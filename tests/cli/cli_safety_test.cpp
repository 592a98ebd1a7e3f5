// tessaline-process under faults: odd output targets, permissions, long
// names, hostile values, memory limits, signals and a shrinking input. Nothing
// the user had may be lost, and no temporary file may stay behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/file_io.h"
#include "cli/text_input.h"
#include "formats/calc_text_file.h"
#include "formats/text_file.h"

namespace fs = std::filesystem;

// AddressSanitizer reserves far more address space than a memory limit
// leaves, and ends the program itself when memory runs out.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

namespace {

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& data)
{
    std::ofstream out(path, std::ios::binary);
    out << data;
}

std::vector<std::string> listing(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool hasTemporaryFile(const fs::path& dir)
{
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().filename().string().find(".tmp-") != std::string::npos) {
            return true;
        }
    }
    return false;
}

mode_t modeOf(const fs::path& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

struct Child {
    pid_t pid = -1;
};

struct Launch {
    std::vector<std::string> args;
    fs::path input = "/dev/null";
    rlim_t addressSpace = 0;  // RLIMIT_AS when not 0
    int ignoredSignal = 0;    // started with this signal ignored
    rlim_t fileSize = 0;      // RLIMIT_FSIZE when not 0, SIGXFSZ at its default
};

class CliSafety : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tessaline-safety-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        oldMask_ = ::umask(022);
    }
    void TearDown() override
    {
        ::umask(oldMask_);
        std::error_code ignored;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir_, ignored);
    }

    // Starts the program; standard output and error go to files in dir_.
    Child start(const Launch& launch)
    {
        std::vector<std::string> args = launch.args;
        args.insert(args.begin(), TESSALINE_PROCESS_PATH);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const std::string in = launch.input.string();
        const std::string out = (dir_ / "stdout").string();
        const std::string err = (dir_ / "stderr").string();
        Child child;
        child.pid = ::fork();
        if (child.pid == 0) {
            ::dup2(::open(in.c_str(), O_RDONLY), 0);
            ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
            ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
                ::signal(signal, signal == launch.ignoredSignal ? SIG_IGN : SIG_DFL);
            }
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            if (launch.addressSpace != 0) {
                const rlimit limit{launch.addressSpace, launch.addressSpace};
                ::setrlimit(RLIMIT_AS, &limit);
            }
            if (launch.fileSize != 0) {
                ::signal(SIGXFSZ, SIG_DFL);
                const rlimit limit{launch.fileSize, launch.fileSize};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        return child;
    }

    // The raw wait status.
    static int wait(Child child)
    {
        int status = 0;
        while (::waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {}
        return status;
    }

    // Runs to the end; the exit status, or -1 for a death by signal.
    int run(const Launch& launch)
    {
        const int status = wait(start(launch));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string err() const { return readFile(dir_ / "stderr"); }
    std::string out() const { return readFile(dir_ / "stdout"); }

    fs::path dir_;
    mode_t oldMask_ = 0;
};

const std::string kBrokenAt10 = "abcd efgh\r\nijkl\r\n";  // "abcd efgh ijkl" at 10 characters

}  // namespace

TEST_F(CliSafety, DevicesAndFifosAreWrittenInPlaceAndLinksFollowed)
{
    const fs::path in = dir_ / "in.txt";
    writeFile(in, "abcd efgh ijkl");
    const std::vector<std::string> at10 = {"--raw", "--preset", "4", "--custom", "10", in.string(), "-o"};
    auto to = [&](const fs::path& out) {
        Launch launch{at10};
        launch.args.push_back(out.string());
        return launch;
    };

    // A FIFO gets the text itself and stays a FIFO.
    const fs::path fifo = dir_ / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(run(to(fifo)), 0) << err();
    char got[64] = {};
    const ssize_t n = ::read(reader, got, sizeof got);
    ::close(reader);
    EXPECT_EQ(std::string(got, n > 0 ? static_cast<std::size_t>(n) : 0), kBrokenAt10);
    EXPECT_TRUE(fs::is_fifo(fifo));

    // Symbolic links: the file at the end of the chain is replaced, the links
    // stay; a relative link is read from its own folder.
    fs::create_directory(dir_ / "real");
    fs::create_directory(dir_ / "links");
    writeFile(dir_ / "real" / "target.txt", "old");
    fs::create_symlink("../real/target.txt", dir_ / "links" / "link");
    fs::create_symlink("link", dir_ / "links" / "chain");
    EXPECT_EQ(run(to(dir_ / "links" / "chain")), 0) << err();
    EXPECT_EQ(readFile(dir_ / "real" / "target.txt"), kBrokenAt10);
    EXPECT_TRUE(fs::is_symlink(dir_ / "links" / "link"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "links" / "chain"));
    EXPECT_EQ(listing(dir_ / "real"), std::vector<std::string>{"target.txt"});

    // A link to nothing yet: the file it names is made.
    fs::create_symlink("../real/new.txt", dir_ / "links" / "ahead");
    EXPECT_EQ(run(to(dir_ / "links" / "ahead")), 0) << err();
    EXPECT_TRUE(fs::is_symlink(dir_ / "links" / "ahead"));
    EXPECT_EQ(readFile(dir_ / "real" / "new.txt"), kBrokenAt10);

    // A link to a device: the device takes the text, the link stays.
    fs::create_symlink("/dev/null", dir_ / "links" / "null");
    EXPECT_EQ(run(to(dir_ / "links" / "null")), 0) << err();
    EXPECT_TRUE(fs::is_symlink(dir_ / "links" / "null"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    // Standard output named as a file, here a pipe.
    const fs::path piped = dir_ / "piped";
    const std::string command = "'" + std::string(TESSALINE_PROCESS_PATH)
                                + "' --raw --preset 4 --custom 10 -o /dev/stdout '" + in.string()
                                + "' 2>/dev/null | cat > '" + piped.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readFile(piped), kBrokenAt10);

    EXPECT_EQ(listing(dir_ / "links"), (std::vector<std::string>{"ahead", "chain", "link", "null"}));

    // A folder, named with or without a closing slash, is said to be one.
    for (const std::string& folder :
         {(dir_ / "real").string(), (dir_ / "real").string() + "/", (dir_ / "absent").string() + "/"}) {
        EXPECT_EQ(run(to(folder)), 1) << folder;
        EXPECT_EQ(err(), "tessaline-process: cannot write " + folder + ": it is a folder\n");
    }
    EXPECT_EQ(listing(dir_ / "real"), (std::vector<std::string>{"new.txt", "target.txt"}));
    EXPECT_FALSE(fs::exists(dir_ / "absent"));
}

TEST_F(CliSafety, PermissionsOfTheReplacedFile)
{
    const fs::path in = dir_ / "in.txt";
    writeFile(in, "abcd efgh ijkl");
    fs::create_directory(dir_ / "out");
    const fs::path target = dir_ / "out" / "target.txt";
    auto replace = [&] {
        return run({{"--raw", "--preset", "4", "--custom", "10", "-o", target.string(), in.string()}});
    };

    // A new file: the usual mode under the umask (022 here).
    EXPECT_EQ(replace(), 0) << err();
    EXPECT_EQ(modeOf(target), 0644u);

    // A file the user may not write is refused and left as it was. Root may
    // write anything, so for root the owner's write bit decides.
    for (mode_t readOnly : {0444u, 0500u}) {
        writeFile(target, "old");
        ::chmod(target.c_str(), readOnly);
        EXPECT_EQ(replace(), 1) << std::oct << readOnly;
        EXPECT_EQ(err(), "tessaline-process: cannot write " + target.string() + ": the file is read-only\n");
        EXPECT_EQ(readFile(target), "old");
        EXPECT_EQ(modeOf(target), readOnly);
        EXPECT_EQ(listing(dir_ / "out"), std::vector<std::string>{"target.txt"});
        ::chmod(target.c_str(), 0644);
    }

    // The mode stays, without set-user-ID and set-group-ID.
    for (auto [before, after] : {std::pair<mode_t, mode_t>{0640, 0640}, {06755, 0755}, {04700, 0700}}) {
        writeFile(target, "old");
        ASSERT_EQ(::chmod(target.c_str(), before), 0);
        EXPECT_EQ(replace(), 0) << std::oct << before << ": " << err();
        EXPECT_EQ(readFile(target), kBrokenAt10);
        EXPECT_EQ(modeOf(target), after) << std::oct << before;
    }

    // Root replacing another user's file leaves it theirs.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(target.c_str(), 4321, 4322), 0);
        ::chmod(target.c_str(), 0640);
        EXPECT_EQ(replace(), 0) << err();
        struct stat st {};
        ASSERT_EQ(::stat(target.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 4322u);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
    }
    EXPECT_EQ(listing(dir_ / "out"), std::vector<std::string>{"target.txt"});
}

TEST_F(CliSafety, LongestLegalOutputNames)
{
    const fs::path in = dir_ / "in.txt";
    writeFile(in, "abcd efgh ijkl");
    fs::create_directory(dir_ / "out");
    std::string accented;
    while (accented.size() < 254) {
        accented += "\xC3\xA9";  // é: the cut must not split it
    }
    for (const std::string& name : {std::string(255, 'n'), accented, "\xC3\xA9" + std::string(253, 'e')}) {
        const fs::path target = dir_ / "out" / name;
        EXPECT_EQ(run({{"--raw", "--preset", "4", "--custom", "10", "-o", target.string(), in.string()}}), 0)
            << name.size() << ": " << err();
        EXPECT_EQ(readFile(target), kBrokenAt10) << name.size();
        EXPECT_EQ(listing(dir_ / "out"), std::vector<std::string>{name});
        fs::remove(target);
    }
    // One byte more than a name may have: the system's own message.
    const std::string tooLong(256, 'n');
    EXPECT_EQ(run({{"-o", (dir_ / "out" / tooLong).string(), in.string()}}), 1);
    EXPECT_NE(err().find("File name too long"), std::string::npos) << err();
    EXPECT_TRUE(fs::is_empty(dir_ / "out"));
}

TEST_F(CliSafety, EveryMessageIsOneLine)
{
    struct Case {
        std::vector<std::string> args;
        std::string shown;  // what the message must show of the value
    } cases[] = {
        {{"--preset", "1\n2"}, "--preset must be a number from 0 to 5, not \"1\\n2\""},
        {{"--format", "rtf\x1b[2J"}, "\"rtf\\x1b[2J\""},
        {{"--preset", "4", "--custom", "1e999\nx"}, "\"1e999\\nx\""},
        {{(dir_
           / "no\tsuch\x7f\xC2\x9B"
             "file\xC3\xA9")
              .string()},
         "no\\tsuch\\x7f\\u009bfile\xC3\xA9"},
        {{"-o", (dir_ / "absent" / "a\nb").string()}, "a\\nb"},
        {{"in\none", "in\ntwo"}, "in\\none and in\\ntwo"},
    };
    for (const Case& c : cases) {
        const int status = run({c.args});
        EXPECT_GE(status, 1) << c.shown;
        const std::string message = err();
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_EQ(message.back(), '\n');
        EXPECT_NE(message.find(c.shown), std::string::npos) << message;
        EXPECT_EQ(message.find_first_of("\r\t\x1b\x7f"), std::string::npos) << message;
    }
}

TEST_F(CliSafety, InputOverTheLimitIsRefused)
{
    // Refused before it is read.
    const fs::path huge = dir_ / "huge";
    writeFile(huge, "");
    fs::resize_file(huge, tessaline::cli::kInputLimit + 1);  // sparse: no disk used
    EXPECT_EQ(run({{huge.string()}}), 1);
    EXPECT_EQ(err(), "tessaline-process: cannot read " + huge.string()
                         + ": it is larger than 1 GiB, the most this program reads\n");
}

TEST_F(CliSafety, OutOfMemoryIsOneLineAndLosesNothing)
{
    if (kAddressSanitizer) {
        GTEST_SKIP() << "a memory limit and AddressSanitizer do not go together";
    }
    // An endless input in too little memory: one clear line, exit 1.
    Launch endless{{"--raw"}, "/dev/zero", rlim_t{256} << 20};
    EXPECT_EQ(run(endless), 1);
    EXPECT_EQ(err(), "tessaline-process: not enough memory for this text\n");
    EXPECT_EQ(out(), "");

    // Memory running out while the output is written: the old file stays
    // whole and the temporary file goes.
    const fs::path in = dir_ / "wide.txt";
    std::string wide;
    while (wide.size() < (std::size_t{32} << 20)) {
        wide += "\xFF\xFE\xAE\x8C\x8D\xE9";  // each one escaped in RTF
    }
    writeFile(in, wide);
    std::string().swap(wide);
    fs::create_directory(dir_ / "out");
    const fs::path target = dir_ / "out" / "kept.rtf";
    writeFile(target, "old");
    Launch tight{{"--raw", "--format", "rtf", "-o", target.string(), in.string()}, "/dev/null", rlim_t{300} << 20};
    EXPECT_EQ(run(tight), 1);
    EXPECT_EQ(err(), "tessaline-process: not enough memory for this text\n");
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(listing(dir_ / "out"), std::vector<std::string>{"kept.rtf"});
}

TEST(InputBytes, StopsAtTheLimit)
{
    std::string error;
    tessaline::cli::InputBytes input;
    // An endless device stops at the limit.
    EXPECT_FALSE(input.open("/dev/zero", error, std::size_t{1} << 20));
    EXPECT_EQ(error, "cannot read /dev/zero: it is larger than 1 MiB, the most this program reads");
    EXPECT_TRUE(input.bytes().empty());

    // A pipe holding exactly the limit is taken, one byte more is not; a long
    // one is read whole through every growth of the buffer.
    auto throughPipe = [&](const std::string& data, std::size_t limit) {
        int fds[2];
        EXPECT_EQ(::pipe(fds), 0);
        std::thread writer([&] {
            std::string_view rest = data;
            while (!rest.empty()) {
                const ssize_t put = ::write(fds[1], rest.data(), rest.size());
                if (put <= 0) {
                    break;
                }
                rest.remove_prefix(static_cast<std::size_t>(put));
            }
            ::close(fds[1]);
        });
        error.clear();
        const bool ok = input.open("/proc/self/fd/" + std::to_string(fds[0]), error, limit);
        ::close(fds[0]);
        writer.join();
        return ok;
    };
    const std::string thousand(1000, 'k');
    EXPECT_TRUE(throughPipe(thousand, 1000)) << error;
    EXPECT_EQ(input.bytes(), thousand);
    EXPECT_FALSE(throughPipe(thousand, 999));
    EXPECT_EQ(error.substr(error.find(": it")), ": it is larger than 999 bytes, the most this program reads");
    std::string many(700000, 'm');
    many[12345] = 'x';
    many.back() = 'z';
    EXPECT_TRUE(throughPipe(many, tessaline::cli::kInputLimit)) << error;
    EXPECT_TRUE(input.bytes() == many);

    // A regular file: the same boundary, judged by its size.
    char pattern[] = "/tmp/tessaline-input-XXXXXX";
    const int fd = ::mkstemp(pattern);
    ASSERT_GE(fd, 0);
    ::close(fd);
    writeFile(pattern, thousand);
    EXPECT_TRUE(input.open(pattern, error, 1000)) << error;
    EXPECT_EQ(input.bytes(), thousand);
    EXPECT_FALSE(input.open(pattern, error, 999));
    ::unlink(pattern);
}

TEST(TextInput, AFileThatChangesBetweenItsReadingsIsNoFault)
{
    using tessaline::cli::TextInput;
    char pattern[] = "/tmp/tessaline-input-XXXXXX";
    const int fd = ::mkstemp(pattern);
    ASSERT_GE(fd, 0);
    ::close(fd);
    auto joinedPieces = [](TextInput& input) {
        std::string joined;
        std::string_view piece;
        while (input.nextPiece(piece)) {
            joined += piece;
        }
        return joined;
    };
    std::string text;
    while (text.size() < (std::size_t{3} << 20)) {
        text += "na\xC3\xAFve\n";
    }

    // The first reading settles UTF-8; the second finds other bytes, fewer
    // of them: they are read as UTF-8, a broken sequence a replaced "?".
    writeFile(pattern, text);
    std::string error;
    TextInput changed;
    ASSERT_TRUE(changed.open(pattern, TextInput::Reading::Pieces, error)) << error;
    const std::string other = "\xFF caf\xC3\xA9\r\n" + text.substr(0, 2000000) + "\xC3";
    writeFile(pattern, other);
    const tessaline::DecodedText asUtf8 = tessaline::decodeTextFile("\xEF\xBB\xBF" + other);
    EXPECT_TRUE(joinedPieces(changed) == asUtf8.codes);
    EXPECT_FALSE(changed.failed()) << changed.readError();
    EXPECT_EQ(changed.replaced(), asUtf8.replaced);

    // Grown past the most the program reads: the reading stops with a message.
    writeFile(pattern, text);
    TextInput grown;
    ASSERT_TRUE(grown.open(pattern, TextInput::Reading::Pieces, error, text.size())) << error;
    std::ofstream(pattern, std::ios::app) << "x";
    joinedPieces(grown);
    EXPECT_TRUE(grown.failed());
    EXPECT_EQ(grown.readError(), std::string("cannot read ") + pattern + ": it is larger than "
                                     + std::to_string(text.size()) + " bytes, the most this program reads");
    ::unlink(pattern);
}

// The program as a signal finds it: in the middle of writing its output.
TEST_F(CliSafety, SignalsRemoveTheTemporaryFile)
{
    const fs::path in = dir_ / "long.txt";
    std::string text;
    while (text.size() < (std::size_t{16} << 20)) {
        text += "\xFF\xFE word \xAE\x8C\r\n";
    }
    writeFile(in, text);
    // UTF-8, decoded on a thread of its own while the pass runs.
    const fs::path utf8 = dir_ / "utf8.txt";
    text.clear();
    while (text.size() < (std::size_t{16} << 20)) {
        text += "na\xC3\xAFve word\n";
    }
    writeFile(utf8, text);
    std::string().swap(text);
    fs::create_directory(dir_ / "out");
    const fs::path target = dir_ / "out" / "target.rtf";
    const std::vector<std::string> asDocument{"--raw", "--format", "rtf", "-o", target.string(), in.string()};
    const std::vector<std::string> asText{"--preset", "3", "-o", target.string(), utf8.string()};

    // Starts a run and waits until its temporary file is there.
    auto startWriting = [&](int ignoredSignal, const std::vector<std::string>& args) {
        writeFile(target, "old");
        Child child = start({args, "/dev/null", 0, ignoredSignal});
        int status = 0;
        while (!hasTemporaryFile(dir_ / "out")) {
            if (::waitpid(child.pid, &status, WNOHANG) == child.pid) {
                ADD_FAILURE() << "the run ended before it wrote";
                return Child{};
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return child;
    };

    for (int signal : {SIGINT, SIGTERM, SIGHUP, -SIGINT, -SIGTERM}) {
        Child child = startWriting(0, signal > 0 ? asDocument : asText);
        signal = std::abs(signal);
        ASSERT_GT(child.pid, 0) << signal;
        ::kill(child.pid, signal);
        const int status = wait(child);
        EXPECT_TRUE(WIFSIGNALED(status)) << signal << ": " << status;
        EXPECT_EQ(WIFSIGNALED(status) ? WTERMSIG(status) : 0, signal);
        EXPECT_EQ(readFile(target), "old") << signal;
        EXPECT_EQ(listing(dir_ / "out"), std::vector<std::string>{"target.rtf"}) << signal;
    }

    // Started with SIGHUP ignored (as by nohup), the run goes on to the end.
    Child child = startWriting(SIGHUP, asDocument);
    ASSERT_GT(child.pid, 0);
    ::kill(child.pid, SIGHUP);
    const int status = wait(child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << ": " << err();
    EXPECT_EQ(readFile(target).substr(0, 6), "{\\rtf1");
    EXPECT_EQ(listing(dir_ / "out"), std::vector<std::string>{"target.rtf"});
}

TEST_F(CliSafety, InputShrinkingWhileReadIsNoFault)
{
    const fs::path in = dir_ / "shrinking.txt";
    std::string text;
    while (text.size() < (std::size_t{32} << 20)) {
        text += "some words to read and break, ";
    }
    fs::create_directory(dir_ / "out");
    const fs::path target = dir_ / "out" / "target.txt";
    for (int attempt = 0; attempt < 2; ++attempt) {
        writeFile(in, text);
        Child child = start({{"-o", target.string(), in.string()}});
        // Cut the file once the program has it open (or mapped).
        const fs::path proc = "/proc/" + std::to_string(child.pid);
        const std::string inName = fs::canonical(in).string();
        auto holdsInput = [&] {
            std::ifstream maps(proc / "maps");
            for (std::string line; std::getline(maps, line);) {
                if (line.find(inName) != std::string::npos) {
                    return true;
                }
            }
            std::error_code ignored;
            for (const auto& fd : fs::directory_iterator(proc / "fd", ignored)) {
                if (fs::read_symlink(fd.path(), ignored) == inName) {
                    return true;
                }
            }
            return false;
        };
        int status = 0;
        bool ended = false;
        while (!holdsInput()) {
            if (::waitpid(child.pid, &status, WNOHANG) == child.pid) {
                ended = true;
                break;
            }
        }
        ASSERT_EQ(::truncate(in.c_str(), 4096), 0);
        if (!ended) {
            status = wait(child);
        }
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        EXPECT_EQ(WEXITSTATUS(status), 0) << err();
        EXPECT_EQ(listing(dir_ / "out"), std::vector<std::string>{"target.txt"});
    }
}

TEST_F(CliSafety, AFileSizeLimitIsAFailedSaveThatLosesNothing)
{
    // ulimit -f: the write past the limit fails with "File too large"; the
    // old file stays and no temporary file is left.
    const fs::path in = dir_ / "long.txt";
    std::string text;
    while (text.size() < 20000) {
        text += "a few words on a line\r\n";
    }
    writeFile(in, text);
    fs::create_directory(dir_ / "out");
    const fs::path target = dir_ / "out" / "kept.txt";
    writeFile(target, "old");
    Launch limited{{"-o", target.string(), in.string()}};
    limited.fileSize = 4096;
    EXPECT_EQ(run(limited), 1) << err();
    const std::string said = err();
    EXPECT_NE(said.find(std::strerror(EFBIG)), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(listing(dir_ / "out"), std::vector<std::string>{"kept.txt"});
}

TEST_F(CliSafety, TheChecksumWarningEscapesTheVariablesName)
{
    // A name holding ESC [8m would hide what the terminal shows next.
    tessaline::CalcWriteResult written = tessaline::writeCalcText("Hello", {{}, "abcdefgh", "main", ""});
    ASSERT_TRUE(written.ok);
    std::string file = written.files.at(0).bytes;
    file.replace(0x40, 8, "\x1b[8mab\0", 8);
    file.back() ^= 0x01;  // a wrong checksum: read, with a warning
    const fs::path in = dir_ / "hidden.89t";
    writeFile(in, file);
    EXPECT_EQ(run({{"--format", "utf8", in.string()}}), 0) << err();
    EXPECT_EQ(err().find('\x1b'), std::string::npos) << err();
    EXPECT_NE(err().find("\\x1b[8mab"), std::string::npos) << err();
}
