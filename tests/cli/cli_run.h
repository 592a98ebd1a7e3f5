// Running tessaline-process from a test: a fresh folder per test, the
// program's exit status, standard output and standard error.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace clitest {

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::filesystem::path& path, const std::string& data)
{
    std::ofstream out(path, std::ios::binary);
    out << data;
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessaline-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Runs the program with `args` (already quoted for the shell), `input` on
    // standard input.
    Outcome run(const std::string& args, const std::string& input = "", const std::string& stdoutTo = "",
                bool throughPipe = false)
    {
        writeFile(dir_ / "stdin", input);
        const std::string outPath = stdoutTo.empty() ? (dir_ / "stdout").string() : stdoutTo;
        const std::string program = std::string("'") + TESSALINE_PROCESS_PATH + "' " + args;
        const std::string in = "'" + (dir_ / "stdin").string() + "'";
        const std::string command = (throughPipe ? "cat " + in + " | " + program : program + " < " + in) + " > '"
                                    + outPath + "' 2> '" + (dir_ / "stderr").string() + "'";
        const int raw = std::system(command.c_str());
        Outcome o;
        o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        if (stdoutTo.empty()) {
            o.out = readFile(dir_ / "stdout");
        }
        o.err = readFile(dir_ / "stderr");
        return o;
    }

    std::string quoted(const std::filesystem::path& p) const { return "'" + p.string() + "'"; }

    std::filesystem::path dir_;
};

inline std::string summary(std::size_t size, std::int64_t mods)
{
    return std::to_string(size) + " characters, " + std::to_string(mods) + " modifications\n";
}

// The files of a folder, by name.
inline std::vector<std::string> listing(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace clitest
