// Cross-check of the calculator files we write against the calculator
// library's own file reader (libtifiles, a test-only dependency).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "formats/calc_picture.h"
#include "formats/calc_text_file.h"

#ifdef TESSALINE_HAVE_TIFILES
// The headers use C's "restrict", which C++ spells differently.
#define restrict __restrict
#include <tifiles.h>
#undef restrict
#endif

using namespace tessaline;

#ifdef TESSALINE_HAVE_TIFILES
namespace {

// A variable's data built byte by byte from its text: size word and cursor
// word (big-endian), each line's mode byte 0x20, 0x0D between lines, then
// 0x00 and the text tag 0xE0.
std::string expectedData(std::string_view codes)
{
    std::string text = " ";
    for (std::size_t i = 0; i < codes.size(); ++i)
        text += codes.substr(i, 2) == "\r\n" ? (++i, std::string("\x0D ")) : std::string(1, codes[i]);
    const std::size_t size = text.size() + 4;
    return std::string{char(size >> 8), char(size & 0xFF), 0, 1} + text + std::string("\0\xE0", 2);
}

// The file read by libtifiles; the caller deletes the content.
FileContent* readWithTifiles(const std::string& bytes, const std::string& extension, CalcModel* fileModel)
{
    const std::string path = ::testing::TempDir() + "tessaline_tifiles_" + std::to_string(getpid()) + "." + extension;
    std::ofstream(path, std::ios::binary) << bytes;
    FileContent* content = tifiles_content_create_regular(CALC_NONE);
    EXPECT_EQ(tifiles_file_read_regular(path.c_str(), content), 0) << extension;
    *fileModel = tifiles_file_get_model(path.c_str());
    std::remove(path.c_str());
    return content;
}

}  // namespace
#endif

TEST(TifilesCrossCheck, TheCalculatorLibraryReadsEveryFileWeWrite)
{
#ifndef TESSALINE_HAVE_TIFILES
    GTEST_SKIP() << "libtifiles is not installed";
#else
    tifiles_library_init();
    std::string large;  // every code but 0, in three variables
    for (int i = 0; large.size() < 150000; ++i)
        large += i % 97 ? std::string(1, char(1 + i % 255)) : std::string("\r\n");
    for (const std::string& text : {std::string("Hello\r\nWorld"), std::string(), large}) {
        const CalcSplit split = splitCalcText(text, "Notes", "Books");
        for (const std::string extension : {"89t", "89g", "9xt", "9xg", "v2t", "v2g"}) {
            const CalcFormat format = *calcFormatFromExtension(extension);
            const CalcWriteResult written = writeCalcText(text, {format, "Notes", "Books", "by Tessaline"});
            std::size_t variable = 0;
            for (const CalcFileBytes& file : written.files) {
                CalcModel fileModel = CALC_NONE;
                FileContent* content = readWithTifiles(file.bytes, extension, &fileModel);
                EXPECT_EQ(content->model, format.calculator == Calculator::Ti89 ? CALC_TI89 : CALC_TI92P);
                const CalcModel byExtension[] = {CALC_TI89, CALC_TI92P, CALC_V200};
                EXPECT_EQ(fileModel, byExtension[int(format.calculator)]);
                EXPECT_EQ(content->checksum, content->stored_checksum) << extension;
                for (unsigned i = 0; i < content->num_entries; ++i, ++variable) {
                    const VarEntry* entry = content->entries[i];
                    ASSERT_LT(variable, split.variables.size());
                    EXPECT_EQ(entry->name, split.variables[variable].name);
                    EXPECT_STREQ(entry->folder, "books");
                    EXPECT_EQ(entry->type, 0x0B);
                    EXPECT_EQ(std::string(reinterpret_cast<char*>(entry->data), entry->size),
                              expectedData(split.variables[variable].codes))
                        << extension << " " << entry->name;
                }
                tifiles_content_delete_regular(content);
            }
            EXPECT_EQ(variable, split.variables.size()) << extension;
        }
    }
    EXPECT_EQ(splitCalcText(large, "Notes").variables.size(), 3u);

    // The checksums' agreement means something: one that is off is seen.
    std::string bytes = writeCalcText("Hello", {{}, "hello", "main", ""}).files.at(0).bytes;
    bytes.back() ^= 1;
    CalcModel fileModel = CALC_NONE;
    FileContent* content = readWithTifiles(bytes, "89t", &fileModel);
    EXPECT_NE(content->checksum, content->stored_checksum);
    tifiles_content_delete_regular(content);
#endif
}

TEST(TifilesCrossCheck, TheLargestGroupFileWeWriteIsReadWhole)
{
#ifndef TESSALINE_HAVE_TIFILES
    GTEST_SKIP() << "libtifiles is not installed";
#else
    // The library refuses a file of 8 MiB or more; the largest we write,
    // one byte less, it reads with all its variables.
    tifiles_library_init();
    std::string text;
    for (int i = 0; i < 139; ++i)
        text += std::string(60000, char('a' + i % 26)) + "\r\n";
    const CalcWriteOptions group{{Calculator::Ti89, true}, "book", "main", ""};
    const std::string last(10000, 'z');  // too long to join the 139th variable
    text += last + std::string(kMaxCalcFileSize - writeCalcText(text + last, group).files.at(0).bytes.size(), 'z');
    const CalcWriteResult largest = writeCalcText(text, group);
    ASSERT_TRUE(largest.ok) << largest.error;
    ASSERT_EQ(largest.files.at(0).bytes.size(), kMaxCalcFileSize);
    CalcModel fileModel = CALC_NONE;
    FileContent* content = readWithTifiles(largest.files[0].bytes, "89g", &fileModel);
    EXPECT_EQ(content->num_entries, 140u);
    if (content->num_entries == 140) {
        EXPECT_EQ(std::string(reinterpret_cast<char*>(content->entries[139]->data), content->entries[139]->size),
                  expectedData(splitCalcText(text, "book").variables.at(139).codes));
    }
    tifiles_content_delete_regular(content);
#endif
}

TEST(TifilesCrossCheck, TheCalculatorLibraryReadsTextAndPicturesOfAGroup)
{
#ifndef TESSALINE_HAVE_TIFILES
    GTEST_SKIP() << "libtifiles is not installed";
#else
    tifiles_library_init();
    for (Calculator calculator : {Calculator::Ti89, Calculator::Ti92Plus, Calculator::Voyage200}) {
        const CalcScreenSize screen = calcScreenSize(calculator);
        MonoBitmap full(screen.width, screen.height);
        for (int y = 0; y < screen.height; ++y)
            for (int x = 0; x < screen.width; x += 1 + y % 5)
                full.ink(x, y);
        MonoBitmap small(13, 3);
        small.ink(12, 2);
        const std::string text = "A garden\r\n_PIC rose\r\n_PIC bud";
        const CalcFormat format{calculator, true};
        const CalcWriteResult written =
            writeCalcText(text, {format, "garden", "flowers", ""}, {{"rose", "", full}, {"bud", "", small}});
        ASSERT_TRUE(written.ok) << written.error;
        CalcModel fileModel = CALC_NONE;
        FileContent* content = readWithTifiles(written.files.at(0).bytes, calcFileExtension(format), &fileModel);
        ASSERT_EQ(content->num_entries, 3);
        const std::string names[] = {"garden", "rose", "bud"};
        const int types[] = {0x0B, 0x10, 0x10};
        const std::string data[] = {expectedData(text), calcPictureData(full), calcPictureData(small)};
        for (int i = 0; i < 3; ++i) {
            const VarEntry* entry = content->entries[i];
            EXPECT_EQ(entry->name, names[i]);
            EXPECT_STREQ(entry->folder, "flowers");
            EXPECT_EQ(entry->type, types[i]);
            EXPECT_EQ(std::string(reinterpret_cast<char*>(entry->data), entry->size), data[i]) << names[i];
        }
        EXPECT_EQ(content->entries[1]->size, screen.width * screen.height / 8 + 7u);
        tifiles_content_delete_regular(content);

        // A picture file on its own.
        const CalcWriteResult single = writeCalcPicture({"rose", "main", full}, calculator);
        content = readWithTifiles(single.files.at(0).bytes, calcPictureExtension(calculator), &fileModel);
        ASSERT_EQ(content->num_entries, 1);
        EXPECT_EQ(content->entries[0]->type, 0x10);
        EXPECT_EQ(content->checksum, content->stored_checksum);
        tifiles_content_delete_regular(content);
    }
#endif
}
