// A zip file held in memory (EPUB, ODT and DOCX are zip files), read with
// libzip and bounded against hostile archives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct zip;

namespace tessaline::book {

class ZipArchive {
public:
    // A book needs far fewer entries and far fewer bytes; an archive past
    // either limit (by what its central directory says, before anything is
    // inflated) is refused as a zip bomb.
    static constexpr std::uint64_t kMaxEntries = 20000;
    static constexpr std::uint64_t kMaxExpandedBytes = std::uint64_t{512} << 20;

    ZipArchive() = default;
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    ~ZipArchive();

    // Whether `bytes` begin as a zip file does.
    static bool hasSignature(std::string_view bytes);

    // Opens the archive in `bytes`, which must outlive it. False with a
    // one-line message in error() for a damaged archive, one past the limits,
    // one with encrypted entries or with a path that leads out of it.
    bool open(std::string_view bytes);
    const std::string& error() const { return error_; }

    bool contains(const std::string& name) const { return index_.contains(name); }
    // The names of the entries, in archive order.
    const std::vector<std::string>& names() const { return names_; }

    // The inflated bytes of entry `name`; nothing, with `error` set, when it
    // is missing or damaged. Never more than the size the central directory
    // gives is inflated.
    std::optional<std::string> read(const std::string& name, std::string& error) const;

private:
    zip* archive_ = nullptr;
    std::unordered_map<std::string, std::uint64_t> index_;
    std::vector<std::string> names_;
    std::vector<std::uint64_t> sizes_;  // expanded sizes, by entry index
    std::string error_;
};

// Whether the entry name `name` climbs out of the archive: an absolute path,
// a drive letter or a ".." step.
bool climbsOut(std::string_view name);

}  // namespace tessaline::book
