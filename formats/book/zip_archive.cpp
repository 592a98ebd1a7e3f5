#include "formats/book/zip_archive.h"

#include <zip.h>

namespace tessaline::book {

namespace {

std::string quoted(std::string_view name)
{
    // Names come from the archive: they are cut short so that a message
    // stays one readable line.
    constexpr std::size_t kShown = 80;
    std::string shown(name.substr(0, kShown));
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 32)
            c = '?';
    }
    return "\"" + shown + (name.size() > kShown ? "...\"" : "\"");
}

}  // namespace

bool climbsOut(std::string_view name)
{
    if (name.empty() || name.front() == '/' || name.front() == '\\')
        return true;
    if (name.size() >= 2 && name[1] == ':')
        return true;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = name.size();
        if (name.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

ZipArchive::~ZipArchive()
{
    if (archive_)
        zip_discard(archive_);
}

bool ZipArchive::hasSignature(std::string_view bytes) { return bytes.starts_with(std::string_view("PK\3\4", 4)); }

bool ZipArchive::open(std::string_view bytes)
{
    zip_error_t sourceError;
    zip_error_init(&sourceError);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &sourceError);
    zip_error_fini(&sourceError);
    if (!source) {
        error_ = "Not enough memory to open the archive.";
        return false;
    }
    zip_error_t openError;
    zip_error_init(&openError);
    archive_ = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &openError);
    zip_error_fini(&openError);
    if (!archive_) {
        zip_source_free(source);
        error_ = "The file is not a readable zip archive (it is damaged or cut short).";
        return false;
    }

    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    if (count < 0 || static_cast<std::uint64_t>(count) > kMaxEntries) {
        error_ = "The archive holds more than " + std::to_string(kMaxEntries) + " files and is refused.";
        return false;
    }
    std::uint64_t expanded = 0;
    names_.reserve(static_cast<std::size_t>(count));
    sizes_.reserve(static_cast<std::size_t>(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive_, static_cast<zip_uint64_t>(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME)
            || !(stat.valid & ZIP_STAT_SIZE)) {
            error_ = "The archive's list of files is damaged.";
            return false;
        }
        const std::string name = stat.name;
        if (climbsOut(name)) {
            error_ = "The archive holds a file whose path leads out of it: " + quoted(name) + ".";
            return false;
        }
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
            error_ = "The archive is encrypted (" + quoted(name) + " needs a password) and cannot be read.";
            return false;
        }
        expanded += stat.size;
        if (stat.size > kMaxExpandedBytes || expanded > kMaxExpandedBytes) {
            error_ = "The archive would expand to more than " + std::to_string(kMaxExpandedBytes >> 20)
                     + " MB and is refused.";
            return false;
        }
        names_.push_back(name);
        sizes_.push_back(stat.size);
        index_.emplace(name, static_cast<std::uint64_t>(i));
    }
    return true;
}

std::optional<std::string> ZipArchive::read(const std::string& name, std::string& error) const
{
    const auto found = index_.find(name);
    if (found == index_.end()) {
        error = "The archive has no file " + quoted(name) + ".";
        return std::nullopt;
    }
    zip_file_t* file = zip_fopen_index(archive_, found->second, 0);
    if (!file) {
        error = "The file " + quoted(name) + " in the archive cannot be read.";
        return std::nullopt;
    }
    // Inflation stops at the size the central directory gave, which open()
    // checked against the limits; an entry that holds more is damaged.
    const std::uint64_t size = sizes_[found->second];
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::size_t done = 0;
    bool failed = false;
    while (done < bytes.size()) {
        const zip_int64_t got = zip_fread(file, bytes.data() + done, bytes.size() - done);
        if (got <= 0) {
            failed = true;
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    char extra = 0;
    if (!failed && zip_fread(file, &extra, 1) != 0)
        failed = true;
    zip_fclose(file);
    if (failed) {
        error = "The file " + quoted(name) + " in the archive is damaged.";
        return std::nullopt;
    }
    return bytes;
}

}  // namespace tessaline::book
