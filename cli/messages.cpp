#include "cli/messages.h"

#include <cstring>

namespace tessaline::cli {

std::string oneLine(std::string_view message)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string line;
    line.reserve(message.size());
    for (std::size_t i = 0; i < message.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(message[i]);
        switch (c) {
        case '\n':
            line += "\\n";
            continue;
        case '\r':
            line += "\\r";
            continue;
        case '\t':
            line += "\\t";
            continue;
        default:
            break;
        }
        if (c < 0x20 || c == 0x7F) {
            line += "\\x";
            line += kHex[c >> 4];
            line += kHex[c & 0xF];
        } else if (c == 0xC2 && i + 1 < message.size() && static_cast<unsigned char>(message[i + 1]) >= 0x80
                   && static_cast<unsigned char>(message[i + 1]) < 0xA0) {
            // U+0080 to U+009F, which terminals also take as commands.
            const unsigned char code = static_cast<unsigned char>(message[++i]);
            line += "\\u00";
            line += kHex[code >> 4];
            line += kHex[code & 0xF];
        } else {
            line += static_cast<char>(c);
        }
    }
    return line;
}

std::string failureMessage(const std::string& what, const std::string& path, int error)
{
    return what + " " + path + ": " + std::strerror(error);
}

namespace {

// "1 GiB", "64 MiB" or "1000 bytes".
std::string sizeText(std::size_t bytes)
{
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    if (bytes >= kMiB * 1024 && bytes % (kMiB * 1024) == 0) {
        return std::to_string(bytes / (kMiB * 1024)) + " GiB";
    }
    if (bytes >= kMiB && bytes % kMiB == 0) {
        return std::to_string(bytes / kMiB) + " MiB";
    }
    return std::to_string(bytes) + " bytes";
}

}  // namespace

std::string tooLargeMessage(const std::string& name, std::size_t limit)
{
    return "cannot read " + name + ": it is larger than " + sizeText(limit) + ", the most this program reads";
}

}  // namespace tessaline::cli
