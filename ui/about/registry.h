// The three registry operations the about box uses to find the
// system-information tool: open a key, query one value, close the key.
// Names are single-byte text in the platform's code page, as the ANSI
// registry calls take them. On Windows the platform registry calls
// RegOpenKeyExA, RegQueryValueExA and RegCloseKey; elsewhere it has no keys,
// so every open fails.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tessaline {

class Registry {
public:
    using Handle = std::uintptr_t;

    virtual ~Registry() = default;

    // Opens `subKey` under the root key `root` (a 32-bit predefined handle
    // such as 0x80000002) with the access mask `access`. False when the key
    // cannot be opened.
    virtual bool openKey(std::uint32_t root, const std::string& subKey, std::uint32_t access, Handle& key) = 0;

    // Reads the value `valueName` of an open key into `buffer`. On entry
    // `size` is the buffer's size; on success it is the value's size in bytes
    // and `type` its registry type. False when there is no such value or it
    // is larger than the buffer.
    virtual bool queryValue(Handle key, const std::string& valueName, std::uint32_t& type, unsigned char* buffer,
                            std::uint32_t& size) = 0;

    virtual void closeKey(Handle key) = 0;
};

// The registry of the running platform.
std::shared_ptr<Registry> platformRegistry();

}  // namespace tessaline
