// The Windows registry through the ANSI calls.
#include "ui/about/registry.h"

#include <windows.h>

namespace tessaline {
namespace {

class WindowsRegistry final : public Registry {
public:
    bool openKey(std::uint32_t root, const std::string& subKey, std::uint32_t access, Handle& key) override
    {
        // The predefined root keys are 32-bit values sign-extended to a handle.
        const HKEY rootKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
        HKEY opened = nullptr;
        if (RegOpenKeyExA(rootKey, subKey.c_str(), 0, access, &opened) != ERROR_SUCCESS)
            return false;
        key = reinterpret_cast<Handle>(opened);
        return true;
    }

    bool queryValue(Handle key, const std::string& valueName, std::uint32_t& type, unsigned char* buffer,
                    std::uint32_t& size) override
    {
        DWORD valueType = 0;
        DWORD valueSize = size;
        if (RegQueryValueExA(reinterpret_cast<HKEY>(key), valueName.c_str(), nullptr, &valueType, buffer, &valueSize)
            != ERROR_SUCCESS)
            return false;
        type = valueType;
        size = valueSize;
        return true;
    }

    void closeKey(Handle key) override { RegCloseKey(reinterpret_cast<HKEY>(key)); }
};

}  // namespace

std::shared_ptr<Registry> platformRegistry() { return std::make_shared<WindowsRegistry>(); }

}  // namespace tessaline
