// The system's character-set converter (iconv), for the few characters and
// code pages the program's own tables do not cover. Internal to the character set and the file formats.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaline::internal {

// One conversion between two encodings named as iconv names them, open for
// the life of the object.
class IconvConversion {
public:
    IconvConversion(const char* to, const char* from);
    ~IconvConversion();
    IconvConversion(const IconvConversion&) = delete;
    IconvConversion& operator=(const IconvConversion&) = delete;

    // False when the system does not know one of the encodings.
    bool isOpen() const;

    // `in` converted whole, from the initial shift state; nothing when the
    // conversion is not open, a byte sequence has no conversion or the
    // result would pass `maxBytes`.
    std::optional<std::string> convert(std::string_view in, std::size_t maxBytes = 64);

private:
    void* cd_;  // iconv_t
};

}  // namespace tessaline::internal
