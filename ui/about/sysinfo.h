// Finding and starting the platform's system-information tool through the
// registry, with every platform operation replaceable (tests use an
// in-memory registry and capture the program start and the message).
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

#include "ui/about/registry.h"
#include "ui/message_boxes.h"

class QWidget;

namespace tessaline {

inline constexpr std::uint32_t kHKeyLocalMachine = 0x80000002;
// Query value, set value, create sub-key, enumerate sub-keys, notify,
// create link and read control.
inline constexpr std::uint32_t kSysInfoKeyAccess = 0x2003F;
inline constexpr std::uint32_t kValueBufferSize = 1024;
inline constexpr std::uint32_t kRegTypeString = 1;
inline constexpr std::uint32_t kRegTypeNumber = 4;

inline constexpr const char* kSysInfoPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoPathValue = "PATH";
inline constexpr const char* kSysInfoFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kSysInfoFolderValue = "MSINFO";
inline constexpr const char* kSysInfoFileName = "\\MSINFO32.EXE";
inline constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

// The platform operations the lookup needs.
struct SysInfoServices {
    std::shared_ptr<Registry> registry;
    std::function<bool(const QString& path)> fileExists;
    // Starts the program at `path` in a normal window that takes the focus,
    // without waiting for it; false when it cannot be started.
    std::function<bool(const QString& path)> startProgram;
    // Where the "unavailable" message shows.
    std::shared_ptr<MessageBoxes> messages;
};

// The real operations.
SysInfoServices platformSysInfoServices();

// The run-time error of a registry value that holds no bytes at all.
class EmptyRegistryValue : public std::runtime_error {
public:
    EmptyRegistryValue() : std::runtime_error("registry value of size 0") {}
};

// Reads one registry value as text: true when the value was read. A string
// (type 1) gives its text, a 32-bit number (type 4) "&h" and its bytes in
// hexadecimal, most significant first; any other type leaves `value` as it
// was. A key that does not open or a value that cannot be read gives the empty
// text and false. Throws EmptyRegistryValue for a value of size 0 (the key is
// closed first).
bool readRegistryValue(Registry& registry, std::uint32_t root, const QString& keyName, const QString& valueName,
                       QString& value);

// Finds the system-information tool (the registered path, else the
// registered folder when it holds MSINFO32.EXE) and starts it; any failure on
// the way shows the "unavailable" message under the application title, over
// `messageParent`.
void startSysInfo(const SysInfoServices& services, QWidget* messageParent);

}  // namespace tessaline
