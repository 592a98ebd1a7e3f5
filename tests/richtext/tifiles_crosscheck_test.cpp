// Cross-check of the calculator files we write against the calculator
// library's own file reader (libtifiles, a test-only dependency).
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "richtext/calc_text_file.h"

#ifdef TESSALINE_HAVE_TIFILES
// The headers use C's "restrict", which C++ spells differently.
#define restrict __restrict
#include <tifiles.h>
#undef restrict
#endif

using namespace tessaline;

namespace {

#ifdef TESSALINE_HAVE_TIFILES
// A variable's data as the calculator keeps it, built byte by byte from its
// text: size word and cursor word (big-endian), each line's mode byte 0x20,
// 0x0D between lines, then 0x00 and the text tag 0xE0.
std::string expectedData(std::string_view codes)
{
    std::string text = " ";
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes.substr(i, 2) == "\r\n") {
            text += "\x0D ";
            ++i;
        } else {
            text.push_back(codes[i]);
        }
    }
    const std::size_t size = 2 + text.size() + 2;
    return std::string{static_cast<char>(size >> 8), static_cast<char>(size & 0xFF), 0, 1} + text
           + std::string("\0\xE0", 2);
}

struct TifilesRead {
    int status = -1;
    CalcModel model = CALC_NONE;       // from the signature
    CalcModel fileModel = CALC_NONE;   // from the signature and the extension
    bool checksumsAgree = false;
    std::vector<std::string> names, folders, data;
    std::vector<int> types;
};

TifilesRead readWithTifiles(const std::string& bytes, const std::string& extension)
{
    static int files = 0;
    const std::string path = ::testing::TempDir() + "tessaline_tifiles_" + std::to_string(getpid()) + "_"
                             + std::to_string(++files) + "." + extension;
    std::ofstream(path, std::ios::binary) << bytes;

    TifilesRead read;
    FileContent* content = tifiles_content_create_regular(CALC_NONE);
    read.status = tifiles_file_read_regular(path.c_str(), content);
    read.fileModel = tifiles_file_get_model(path.c_str());
    if (read.status == 0) {
        read.model = content->model;
        read.checksumsAgree = content->checksum == content->stored_checksum;
        for (unsigned i = 0; i < content->num_entries; ++i) {
            const VarEntry* entry = content->entries[i];
            read.names.push_back(entry->name);
            read.folders.push_back(entry->folder);
            read.types.push_back(entry->type);
            read.data.emplace_back(reinterpret_cast<const char*>(entry->data), entry->size);
        }
    }
    tifiles_content_delete_regular(content);
    std::remove(path.c_str());
    return read;
}

std::string randomText(std::size_t size)
{
    std::mt19937 random(1913);
    std::uniform_int_distribution<int> code(1, 255);
    std::string text;
    while (text.size() < size) {
        for (int n = static_cast<int>(random() % 80); n > 0; --n)
            text.push_back(static_cast<char>(code(random)));
        text += "\r\n";
    }
    return text;
}
#endif

}  // namespace

TEST(TifilesCrossCheck, TheCalculatorLibraryReadsEveryFileWeWrite)
{
#ifndef TESSALINE_HAVE_TIFILES
    GTEST_SKIP() << "libtifiles is not installed";
#else
    tifiles_library_init();
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"Hello\r\nWorld", "Hello"}, {"", "empty"}, {randomText(150000), "Notes"}};
    for (const auto& [text, name] : texts) {
        const CalcSplit split = splitCalcText(text, name, "Books");
        ASSERT_TRUE(split.ok) << split.error;
        for (const std::string extension : {"89t", "89g", "9xt", "9xg", "v2t", "v2g"}) {
            const CalcFormat format = *calcFormatFromExtension(extension);
            const CalcWriteResult written = writeCalcText(text, {format, name, "Books", "written by Tessaline"});
            ASSERT_TRUE(written.ok) << written.error;
            ASSERT_EQ(written.files.size(), format.group ? 1u : split.variables.size());

            std::size_t variable = 0;
            for (const CalcFileBytes& file : written.files) {
                const TifilesRead read = readWithTifiles(file.bytes, extension);
                ASSERT_EQ(read.status, 0) << extension;
                EXPECT_EQ(read.model, format.calculator == Calculator::Ti89 ? CALC_TI89 : CALC_TI92P);
                const CalcModel models[] = {CALC_TI89, CALC_TI92P, CALC_V200};
                EXPECT_EQ(read.fileModel, models[static_cast<int>(format.calculator)]);
                EXPECT_TRUE(read.checksumsAgree) << extension;
                for (std::size_t i = 0; i < read.names.size(); ++i, ++variable) {
                    ASSERT_LT(variable, split.variables.size());
                    EXPECT_EQ(read.names[i], split.variables[variable].name);
                    EXPECT_EQ(read.folders[i], "books");
                    EXPECT_EQ(read.types[i], 0x0B);
                    EXPECT_EQ(read.data[i], expectedData(split.variables[variable].codes))
                        << extension << " " << read.names[i];
                }
            }
            EXPECT_EQ(variable, split.variables.size()) << extension;
        }
    }
    EXPECT_EQ(splitCalcText(texts[2].first, "Notes").variables.size(), 3u);
#endif
}

TEST(TifilesCrossCheck, TheLibraryNoticesAWrongChecksum)
{
#ifndef TESSALINE_HAVE_TIFILES
    GTEST_SKIP() << "libtifiles is not installed";
#else
    // The agreement above means something: a checksum that is off by one is
    // seen as such.
    tifiles_library_init();
    std::string bytes = writeCalcText("Hello\r\nWorld", {{}, "hello", "main", ""}).files.at(0).bytes;
    bytes.back() ^= 1;
    const TifilesRead read = readWithTifiles(bytes, "89t");
    ASSERT_EQ(read.status, 0);
    EXPECT_FALSE(read.checksumsAgree);
#endif
}
