// Zip files made in memory with libzip, for the book readers' tests.
#pragma once

#include <zip.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tessaline::test {

struct ZipEntry {
    std::string name;
    std::string bytes;
    bool stored = false;  // kept as it is (a "mimetype" entry), else deflated
};

inline std::string makeZip(const std::vector<ZipEntry>& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* archiveSource = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(archiveSource);
    zip_t* archive = zip_open_from_source(archiveSource, ZIP_TRUNCATE, &error);
    if (!archive)
        throw std::runtime_error("zip_open_from_source");
    for (const ZipEntry& entry : entries) {
        zip_source_t* source = zip_source_buffer(archive, entry.bytes.data(), entry.bytes.size(), 0);
        const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0)
            throw std::runtime_error("zip_file_add " + entry.name);
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                 entry.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    if (zip_close(archive) != 0)
        throw std::runtime_error("zip_close");
    zip_source_open(archiveSource);
    zip_source_seek(archiveSource, 0, SEEK_END);
    const zip_int64_t size = zip_source_tell(archiveSource);
    zip_source_seek(archiveSource, 0, SEEK_SET);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    zip_source_read(archiveSource, bytes.data(), static_cast<zip_uint64_t>(size));
    zip_source_close(archiveSource);
    zip_source_free(archiveSource);
    zip_error_fini(&error);
    return bytes;
}

// Every header of the zip (local and central) made to say that its entries
// expand to `size` bytes, as a hostile archive might.
inline std::string withDeclaredSize(std::string zip, std::uint32_t size)
{
    auto patch = [&](std::size_t at) {
        for (int i = 0; i < 4; ++i)
            zip[at + static_cast<std::size_t>(i)] = static_cast<char>((size >> (8 * i)) & 0xFF);
    };
    for (std::size_t at = 0; at + 30 < zip.size(); ++at) {
        if (zip.compare(at, 4, "PK\3\4") == 0)
            patch(at + 22);
        else if (zip.compare(at, 4, "PK\1\2") == 0)
            patch(at + 24);
    }
    return zip;
}

}  // namespace tessaline::test
