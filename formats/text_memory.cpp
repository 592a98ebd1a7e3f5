#include "formats/text_memory.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tessaline::internal {

void reserveText(std::string& out, std::size_t bytes)
{
    out.reserve(bytes);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kLargePage = std::uintptr_t{1} << 21;
    if (bytes >= 16 * kLargePage) {
        const auto at = reinterpret_cast<std::uintptr_t>(out.data());
        const std::uintptr_t from = (at + kLargePage - 1) & ~(kLargePage - 1);
        const std::uintptr_t to = (at + out.capacity()) & ~(kLargePage - 1);
        if (to > from)
            madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);  // a hint: failure changes nothing
    }
#endif
}

}  // namespace tessaline::internal
