// Written with the Windows calls directly: Qt offers no way to put data in the
// predefined CF_TEXT format next to its own Unicode text.
#include "ui/process/windows_clipboard.h"

#include <windows.h>

#include <cstring>

namespace tessaline {
namespace {

// Copies `bytes` bytes and a terminating NUL of `unitSize` bytes into global
// memory and hands it to the clipboard, which then owns it.
bool putFormat(UINT format, const void* data, std::size_t bytes, std::size_t unitSize)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes + unitSize);
    if (memory == nullptr)
        return false;
    void* target = GlobalLock(memory);
    if (target == nullptr) {
        GlobalFree(memory);
        return false;
    }
    if (bytes > 0)
        std::memcpy(target, data, bytes);
    std::memset(static_cast<char*>(target) + bytes, 0, unitSize);
    GlobalUnlock(memory);
    if (SetClipboardData(format, memory) == nullptr) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

}  // namespace

bool putTextOnWindowsClipboard(std::u16string_view unicode, std::string_view codes)
{
    if (!OpenClipboard(nullptr))
        return false;
    bool ok = EmptyClipboard() != 0;
    ok = ok && putFormat(CF_UNICODETEXT, unicode.data(), unicode.size() * sizeof(char16_t), sizeof(char16_t));
    ok = ok && putFormat(CF_TEXT, codes.data(), codes.size(), 1);
    CloseClipboard();
    return ok;
}

}  // namespace tessaline
